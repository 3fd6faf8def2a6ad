// SPDX-License-Identifier: MIT
// The Qt toolkit's windows: each built with its controls from its description, shown,
// run modal and closed; the routines bound to their events, and the control style.
#include "ui/qt_toolkit.h"

#include <algorithm>
#include <new>
#include <utility>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QStyledItemDelegate>

#include "core/fatal.h"
#include "ui/app_icon.h"
#include "ui/byte_text_edit.h"
#include "ui/check_list.h"
#include "ui/control_style.h"
#include "ui/file_drops.h"
#include "ui/folder_tree_view.h"
#include "ui/long_task.h"
#include "ui/qt_toolkit_parts.h"
#include "ui/widgets.h"

namespace morvane::ui {

using namespace qt_parts;

namespace {

constexpr int kDropDownHeight = 20;

QFont FontFor(const Font& font) {
  QFont qfont = DefaultGuiFont();
  if (!font.family.empty()) {
    // SimSun is a Windows face; WenQuanYi Micro Hei draws the same characters here.
    qfont.setFamilies({Utf8(font.family), QStringLiteral("WenQuanYi Micro Hei"),
                       QStringLiteral("Noto Sans CJK SC")});
  }
  if (font.pixelSize > 0) qfont.setPixelSize(font.pixelSize);
  qfont.setBold(font.bold);
  return qfont;
}

// Notes, as each Esc arrives, whether a popup was open for it. The popup closes itself on
// that key before the window's Esc shortcut runs, so the shortcut cannot see it any more.
class EscapeWatch final : public QObject {
 public:
  // Answers once per key press.
  static bool EscapeWasForAPopup() {
    Install();
    return std::exchange(forPopup_, false);
  }
  static void Install() {
    static EscapeWatch* watch = nullptr;
    if (watch == nullptr) {
      watch = new EscapeWatch;
      watch->setParent(qApp);
      qApp->installEventFilter(watch);
    }
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    // The override goes to the popup first, then up to its frame, by which time the
    // popup may be closed: only a popup's presence counts, never its absence. The
    // key's release ends the matter.
    const auto isEscape = [event] {
      return static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
    };
    if (event->type() == QEvent::ShortcutOverride && isEscape() &&
        QApplication::activePopupWidget() != nullptr) {
      forPopup_ = true;
    } else if (event->type() == QEvent::KeyRelease && isEscape()) {
      forPopup_ = false;
    }
    return false;
  }

 private:
  static inline bool forPopup_ = false;
};

}  // namespace

QFont DefaultGuiFont() {
  QFont font;
  font.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                    QStringLiteral("SimSun")});
  font.setPixelSize(12);
  return font;
}

QtToolkit::QtToolkit() {
  QApplication::setFont(DefaultGuiFont());
}

QtToolkit::~QtToolkit() {
  // Only our own connection goes: Qt's style sheet caches listen to the same signal.
  for (auto& [name, forget] : forgetters_) QObject::disconnect(forget);
  for (auto& [name, window] : windows_) delete window.data();
}

void QtToolkit::Describe(WindowDescription window) {
  std::string name(window.name);
  descriptions_.insert_or_assign(std::move(name), std::move(window));
}

QtToolkit::Control& QtToolkit::Find(std::string_view name) {
  auto it = controls_.find(name);
  if (it == controls_.end()) UnknownControl(name);
  return *it->second;
}

const QtToolkit::Control& QtToolkit::Find(std::string_view name) const {
  auto it = controls_.find(name);
  if (it == controls_.end()) UnknownControl(name);
  return *it->second;
}

QWidget* QtToolkit::Widget(std::string_view control) const {
  auto it = controls_.find(control);
  return it == controls_.end() ? nullptr : it->second->widget.data();
}

void QtToolkit::Bind(EventSource control, Event event, Routine routine) {
  routines_[{std::string(control), event}] = std::move(routine);
}

bool QtToolkit::Fire(std::string_view control, Event event) {
  auto it = routines_.find({std::string(control), event});
  if (it == routines_.end()) return false;
  const Routine routine = it->second;  // a routine may rebind while it runs
  // An exception must not cross the toolkit's event loop: memory running out ends the
  // program with its message.
  try {
    routine();
  } catch (const std::bad_alloc&) {
    OutOfMemoryAtTop();
  }
  return true;
}

QWidget* QtToolkit::CreateWindow(std::string_view name, QWidget* parent) {
  auto found = descriptions_.find(name);
  if (found == descriptions_.end()) UnknownControl(name);
  const WindowDescription& description = found->second;
  const std::string window(name);

  // A dialog, so that Enter presses its default button.
  const bool dialog = description.frame == Frame::kDialog;
  QWidget* widget = dialog ? new QDialog(parent) : new QWidget(parent);
  Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint;
  switch (description.frame) {
    case Frame::kMain:
      flags |= Qt::Window | Qt::WindowMinimizeButtonHint;
      break;
    case Frame::kToolWindow:
      flags |= Qt::Tool;
      break;
    case Frame::kDialog:
      flags |= Qt::Dialog;
      break;
  }
  widget->setWindowFlags(flags);
  // Qt sizes the client area, the description the outer frame.
  widget->setFixedSize(ClientWidth(description), ClientHeight(description));
  widget->setWindowTitle(Utf8(description.caption));
  if (dialog) widget->setFont(DefaultGuiFont());
  if (description.icon == WindowIcon::kProgram) widget->setWindowIcon(AppIcon());
  // Esc closes the window from whichever control has the focus; but an Esc that a popup
  // (a drop-down list, a context menu) was open for only closes that popup.
  EscapeWatch::Install();
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), widget);
  QObject::connect(escape, &QShortcut::activated, widget, [widget] {
    if (!EscapeWatch::EscapeWasForAPopup()) widget->close();
  });

  auto self = std::make_unique<Control>();
  self->isWindow = true;
  self->window = window;
  self->widget = widget;
  self->caption = BytesFromUtf8(description.caption);
  controls_.insert_or_assign(window, std::move(self));
  windows_[window] = widget;
  forgetters_[window] =
      QObject::connect(widget, &QObject::destroyed, [this, window] { Forget(window); });

  for (const ControlRow& row : description.controls) Build(row, window, widget);
  // Once every control is there: a drop target takes the drops of what lies on it.
  for (const ControlRow& row : description.controls) {
    if (row.drop.kind != DropKind::kNone) AcceptDrops(row);
  }
  Fire(window, Event::kCreated);
  return widget;
}

void QtToolkit::AcceptDrops(const ControlRow& row) {
  const std::string name(row.name);
  const int most = row.drop.most;
  AcceptFileDrops(Find(name).widget, row.drop.kind, [this, name, most](std::vector<Path> paths) {
    SortNaturally(paths);
    if (static_cast<int>(paths.size()) > most) paths.resize(static_cast<std::size_t>(most));
    auto found = controls_.find(name);
    if (found == controls_.end()) return;
    found->second->dropped = std::move(paths);
    Fire(name, Event::kDropped);
  });
}

void QtToolkit::Forget(const std::string& window) {
  for (auto it = controls_.begin(); it != controls_.end();) {
    it = it->second->window == window ? controls_.erase(it) : std::next(it);
  }
  windows_.erase(window);
  forgetters_.erase(window);
}

void QtToolkit::Build(const ControlRow& row, const std::string& window, QWidget* windowWidget) {
  auto control = std::make_unique<Control>();
  control->kind = row.kind;
  control->window = window;
  control->caption = BytesFromUtf8(row.text);
  QWidget* parent = windowWidget;
  if (!row.parent.empty()) parent = Find(row.parent).widget;
  const std::string name(row.name);
  control->widget = BuildWidget(row, parent, *control, name);
  if (control->widget != nullptr && row.kind != Kind::kTabPage) {
    QWidget* widget = control->widget;
    widget->setObjectName(Utf8(row.name));
    // A drop-down list's design height includes its dropped-down part.
    const int height = row.kind == Kind::kDropDown ? std::min(row.place.height, kDropDownHeight)
                                                   : row.place.height;
    widget->setGeometry(row.place.x, row.place.y, row.place.width, height);
    widget->setVisible(row.visible);
    if (row.look.flags & kDisabled) widget->setEnabled(false);
  }
  controls_.insert_or_assign(name, std::move(control));
}

QWidget* QtToolkit::BuildWidget(const ControlRow& row, QWidget* parent, Control& control,
                                const std::string& name) {
  const Look& look = row.look;
  const QString caption = CaptionText(control.caption);
  const Qt::Alignment horizontal = (look.flags & kCentred) ? Qt::AlignHCenter : Qt::AlignLeft;
  switch (row.kind) {
    case Kind::kEdit: {
      if (look.flags & kMultiLine) {
        auto* edit = new ByteTextEdit(parent);
        edit->setFont(FontFor(look.font));
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        edit->SetReadOnly(look.flags & kReadOnly);
        edit->setFrameShadow((look.flags & kSunken) ? QFrame::Sunken : QFrame::Plain);
        edit->SetBytes(control.caption);
        edit->SetOnEdited([this, name] { Fire(name, Event::kContentChanged); });
        return edit;
      }
      auto* edit = new ByteLineEdit(parent);
      edit->setFont(FontFor(look.font));
      edit->setReadOnly(look.flags & kReadOnly);
      edit->setAlignment(horizontal | Qt::AlignVCenter);
      edit->setTextMargins(1, 0, 1, 0);
      edit->SetBytes(control.caption);
      if (!row.detail.empty()) edit->setPlaceholderText(Utf8(row.detail));
      edit->SetOnEdited([this, name] { Fire(name, Event::kContentChanged); });
      edit->SetOnEntered([this, name] { return Fire(name, Event::kEntered); });
      return edit;
    }
    case Kind::kLabel:
    case Kind::kTransparentLabel:
    case Kind::kPreview: {
      auto* label = new QLabel(caption, parent);
      label->setTextFormat(Qt::PlainText);  // an ampersand is drawn as it is
      label->setAlignment(horizontal | Qt::AlignVCenter);
      label->setFont(FontFor(look.font));
      label->setAttribute(Qt::WA_TranslucentBackground, row.kind == Kind::kTransparentLabel);
      label->setStyleSheet(ColourSheet("QLabel", look));
      return label;
    }
    case Kind::kButton: {
      auto* button = new QPushButton(caption, parent);
      button->setFont(FontFor(look.font));
      button->setAutoDefault(false);
      button->setDefault(look.flags & kDefault);
      if (!(look.flags & kPlain)) {
        button->setFlat(true);
        button->setStyleSheet(OwnerDrawnButtonSheet());
      }
      QObject::connect(button, &QPushButton::clicked, button,
                       [this, name] { Fire(name, Event::kClicked); });
      return button;
    }
    case Kind::kGroupBox: {
      auto* box = new QGroupBox((look.flags & kNoCaption) ? QString() : caption, parent);
      box->setFont(FontFor(look.font));
      if (look.textColour != kNoColour) {
        box->setStyleSheet(ColourSheet("QGroupBox::title", look));
      }
      return box;
    }
    case Kind::kRadio: {
      auto* radio = new ChoiceButton(parent);
      radio->setText(caption);
      radio->setFont(FontFor(look.font));
      radio->setChecked(look.flags & kChecked);
      QObject::connect(radio, &QRadioButton::clicked, radio,
                       [this, name] { Fire(name, Event::kClicked); });
      return radio;
    }
    case Kind::kDropDown: {
      auto* list = new QComboBox(parent);
      list->setFont(FontFor(look.font));
      // Items drawn as items, not as menu entries, so the style's highlight shows.
      list->setItemDelegate(new QStyledItemDelegate(list));
      for (const std::string_view item : row.items) {
        list->addItem(Utf8(item));
        control.items.push_back(BytesFromUtf8(item));
      }
      // The design height includes the dropped-down list.
      list->setMaxVisibleItems(static_cast<int>(control.items.size()));
      QObject::connect(list, &QComboBox::activated, list,
                       [this, name] { Fire(name, Event::kItemSelected); });
      return list;
    }
    case Kind::kTabControl: {
      auto* tabs = new TabControl(parent);
      tabs->tabBar()->setFont(FontFor(look.font));
      return tabs;
    }
    case Kind::kTabPage: {
      auto* tabs = dynamic_cast<TabControl*>(parent);
      if (tabs == nullptr) UnknownControl(row.parent);
      QWidget* page = tabs->AddPage(caption);
      if (look.flags & kSelected) tabs->SetCurrentPage(tabs->pageCount() - 1);
      return page;
    }
    case Kind::kWebView: {
      // Our own local page: no browser, no network.
      auto* view = new QLabel(parent);
      view->setTextFormat(Qt::RichText);
      view->setText(Utf8(row.text));
      view->setWordWrap(true);
      view->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      view->setTextInteractionFlags(Qt::NoTextInteraction);
      view->setOpenExternalLinks(false);
      view->setFont(FontFor(look.font));
      view->setMargin(row.place.height > 40 ? 8 : 2);
      view->setAutoFillBackground(true);
      view->setStyleSheet(
          QStringLiteral("QLabel { background: white; border: 1px solid rgb(200, 200, 200); }"));
      return view;
    }
    case Kind::kFileDialog: {
      FileDialogSettings& settings = dialogs_[name];
      settings.filters = row.filters;
      settings.initialFolder = Utf8(row.detail);
      settings.save = (look.flags & kSaveAs) != 0;
      return nullptr;
    }
    case Kind::kDriveList: {
      auto* list = new QComboBox(parent);
      list->setFont(FontFor(look.font));
      list->setItemDelegate(new QStyledItemDelegate(list));
      control.drives = ListDrives(volumes_.empty() ? MountedVolumes() : volumes_);
      for (const Drive& drive : control.drives) list->addItem(QString::fromStdString(drive.item));
      list->setCurrentIndex(DriveIndexFor(control.drives, QDir::currentPath().toStdString()));
      QObject::connect(list, &QComboBox::activated, list,
                       [this, name] { Fire(name, Event::kDriveChanged); });
      return list;
    }
    case Kind::kFolderTree: {
      auto* tree = lister_ ? new FolderTreeView(parent, lister_) : new FolderTreeView(parent);
      tree->setFont(FontFor(look.font));
      tree->SetOnOpened([this, name] { Fire(name, Event::kFolderChanged); });
      return tree;
    }
    case Kind::kCheckList: {
      QTableView* list = MakeCheckList(row, parent);
      list->setFont(FontFor(look.font));
      QObject::connect(CheckListModelOf(list), &CheckListModel::ticked, list,
                       [this, name] { Fire(name, Event::kTicked); });
      QObject::connect(list->selectionModel(), &QItemSelectionModel::currentRowChanged, list,
                       [this, name] {
                         if (choosingRow_ == 0) Fire(name, Event::kRowChosen);
                       });
      return list;
    }
    case Kind::kSpin: {
      auto* spin = new QSpinBox(parent);
      spin->setFont(FontFor(look.font));
      spin->setRange(row.range.least, row.range.most);
      spin->setValue(Utf8(row.text).toInt());
      spin->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      QObject::connect(spin, &QSpinBox::valueChanged, spin,
                       [this, name] { Fire(name, Event::kContentChanged); });
      return spin;
    }
  }
  return nullptr;
}

void QtToolkit::ShowCentred(QWidget* window) {
  QScreen* screen =
      window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
  if (screen != nullptr) {
    const QRect area = screen->availableGeometry();
    const QSize size = window->frameGeometry().size();
    // A window larger than the screen (a high scale factor on a small one) keeps its title
    // bar and left edge in sight: it is moved by them, and its own size is fixed.
    const QPoint centred = area.center() - QPoint(size.width() / 2, size.height() / 2);
    window->move(std::max(area.left(), std::min(centred.x(), area.right() + 1 - size.width())),
                 std::max(area.top(), std::min(centred.y(), area.bottom() + 1 - size.height())));
  }
  window->show();
}

bool QtToolkit::LoadWindow(Window window, Window parent, bool modal) {
  auto open = windows_.find(window.name());
  if (open != windows_.end() && open->second) {
    QWidget* existing = open->second;
    existing->setWindowState(existing->windowState() & ~Qt::WindowMinimized);
    existing->raise();
    existing->activateWindow();
    return true;
  }
  QWidget* owner = parent.name().empty() ? nullptr : Widget(parent);
  QPointer<QWidget> widget = CreateWindow(window, owner);
  if (!widget) return false;
  widget->setAttribute(Qt::WA_DeleteOnClose);
  if (modal) widget->setWindowModality(Qt::ApplicationModal);
  ShowCentred(widget);
  if (!modal) return true;
  // The nested loop: the owner takes no input (application-modal) until the window is
  // closed or the program is asked to quit.
  QEventLoop loop;
  QObject::connect(widget, &QObject::destroyed, &loop, &QEventLoop::quit);
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
  loop.exec();
  return true;
}

void QtToolkit::RunLongWork(const WorkSize& size, const Job& job) {
  RunLongTask(size, job);
}

void QtToolkit::CloseWindow(Window window) {
  auto open = windows_.find(window.name());
  if (open != windows_.end() && open->second) open->second->close();
}

bool QtToolkit::SetControlStyle(int style) {
  style_ = (style >= 1 && style <= 3) ? style : 0;
  qApp->setStyleSheet(ControlStyleSheet(style_));
  return true;
}

}  // namespace morvane::ui
