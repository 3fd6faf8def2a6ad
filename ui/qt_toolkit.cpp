// SPDX-License-Identifier: MIT
#include "ui/qt_toolkit.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <utility>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QSpacerItem>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStyledItemDelegate>
#include <QUrl>

#include "core/fatal.h"
#include "core/gbk.h"
#include "core/numbers.h"
#include "ui/app_icon.h"
#include "ui/byte_text_edit.h"
#include "ui/check_list.h"
#include "ui/control_style.h"
#include "ui/file_dialog.h"
#include "ui/file_drops.h"
#include "ui/folder_tree_view.h"
#include "ui/long_task.h"
#include "ui/text_boundary.h"
#include "ui/widgets.h"

namespace morvane::ui {

struct QtToolkit::Control {
  bool isWindow = false;
  Kind kind = Kind::kLabel;
  std::string window;           // the window the control belongs to
  QPointer<QWidget> widget;     // none for a file dialog component
  ByteText caption;             // captions of labels, buttons, frames, pages, windows
  std::vector<ByteText> items;  // drop-down list items
  std::vector<Drive> drives;    // drive list entries
  std::vector<Path> dropped;    // what the last drop brought
};

namespace {

constexpr int kDropDownHeight = 20;

[[noreturn]] void UnknownControl(std::string_view name) {
  std::fprintf(stderr, "morvane: no control named \"%.*s\"\n", static_cast<int>(name.size()),
               name.data());
  std::abort();
}

QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Captions show CR LF as a line break, like a Windows static control.
QString CaptionText(const ByteText& bytes) {
  QString text = PlainFromBytes(bytes);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

// A message's text (UTF-8) as a message box shows it.
QString MessageText(const std::string& utf8) {
  QString text = QString::fromStdString(utf8);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

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

// A path for Qt's own file classes, which take the file system's bytes through
// QFile::encodeName and decodeName.
QString NativeQPath(const Path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

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

void QtToolkit::Bind(std::string_view control, Event event, Routine routine) {
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

ByteText QtToolkit::Text(std::string_view name) const {
  const Control& control = Find(name);
  if (control.isWindow) return control.caption;
  switch (control.kind) {
    case Kind::kEdit:
      if (auto* edit = dynamic_cast<ByteTextEdit*>(control.widget.data())) return edit->Bytes();
      if (auto* edit = dynamic_cast<ByteLineEdit*>(control.widget.data())) return edit->Bytes();
      return {};
    case Kind::kDropDown:
      return ComboItemText(name, SelectedIndex(name));
    case Kind::kDriveList: {
      const int index = SelectedIndex(name);
      if (index < 0 || index >= static_cast<int>(control.drives.size())) return {};
      return DisplayNameGbk(Path(control.drives[static_cast<std::size_t>(index)].mountPoint));
    }
    case Kind::kFolderTree:
      if (auto* tree = dynamic_cast<FolderTreeView*>(control.widget.data())) {
        return DisplayNameGbk(Path(tree->Value()));
      }
      return {};
    case Kind::kFileDialog:
      return DisplayNameGbk(DialogFileName(name));
    case Kind::kSpin:
      return ByteText(std::to_string(static_cast<QSpinBox*>(control.widget.data())->value()));
    default:
      return control.caption;
  }
}

int QtToolkit::TextLength(std::string_view name) const {
  if (auto* edit = dynamic_cast<ByteTextEdit*>(Find(name).widget.data())) return edit->ByteLength();
  return morvane::TextLength(Text(name));
}

void QtToolkit::ReplaceTextAsEdit(std::string_view name, const ByteText& text) {
  if (auto* edit = dynamic_cast<ByteTextEdit*>(Find(name).widget.data())) {
    edit->ReplaceAll(text);  // reported as the user's edit
    return;
  }
  SetText(name, text);
}

void QtToolkit::ReplaceTextAsEdit(std::string_view name, const ByteText& text, Encoding encoding) {
  if (auto* edit = dynamic_cast<ByteTextEdit*>(Find(name).widget.data())) {
    edit->ReplaceAll(text, encoding);  // reported as the user's edit
    return;
  }
  SetTextEncoding(name, encoding);
  SetText(name, text);
}

std::optional<Encoding> QtToolkit::TextEncodingNow(std::string_view name) const {
  if (auto* edit = dynamic_cast<ByteTextEdit*>(Find(name).widget.data())) {
    return edit->TextEncoding();
  }
  return std::nullopt;
}

std::string QtToolkit::Setting(std::string_view key) const {
  const QSettings settings(QStringLiteral("morvane"), QStringLiteral("morvane"));
  return settings.value(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())))
      .toString()
      .toStdString();
}

void QtToolkit::SetSetting(std::string_view key, const std::string& value) {
  QSettings settings(QStringLiteral("morvane"), QStringLiteral("morvane"));
  settings.setValue(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())),
                    QString::fromStdString(value));
}

void QtToolkit::SetText(std::string_view name, const ByteText& text) {
  Control& control = Find(name);
  QWidget* widget = control.widget;
  if (control.isWindow) {
    control.caption = text;
    widget->setWindowTitle(CaptionText(text));
    return;
  }
  switch (control.kind) {
    case Kind::kEdit:
      if (auto* edit = dynamic_cast<ByteTextEdit*>(widget)) edit->SetBytes(text);
      if (auto* edit = dynamic_cast<ByteLineEdit*>(widget)) edit->SetBytes(text);
      Fire(name, Event::kContentChanged);
      return;
    case Kind::kLabel:
    case Kind::kTransparentLabel:
    case Kind::kPreview:
      control.caption = text;
      static_cast<QLabel*>(widget)->setText(CaptionText(text));
      return;
    case Kind::kSpin: {
      // Set by a handler: no change event.
      auto* spin = static_cast<QSpinBox*>(widget);
      const QSignalBlocker quiet(spin);
      spin->setValue(ToInteger(text));
      return;
    }
    case Kind::kButton:
    case Kind::kRadio:
      control.caption = text;
      static_cast<QAbstractButton*>(widget)->setText(CaptionText(text));
      return;
    case Kind::kGroupBox:
      control.caption = text;
      static_cast<QGroupBox*>(widget)->setTitle(CaptionText(text));
      return;
    case Kind::kFolderTree:
      static_cast<FolderTreeView*>(widget)->SetPath(PathFromTyped(text).path.native());
      return;
    case Kind::kDriveList:
      for (std::size_t i = 0; i < control.drives.size(); ++i) {
        if (DisplayNameGbk(Path(control.drives[i].mountPoint)) == text) {
          static_cast<QComboBox*>(widget)->setCurrentIndex(static_cast<int>(i));
        }
      }
      return;
    case Kind::kDropDown:
      for (std::size_t i = 0; i < control.items.size(); ++i) {
        if (control.items[i] == text) {
          static_cast<QComboBox*>(widget)->setCurrentIndex(static_cast<int>(i));
        }
      }
      return;
    case Kind::kFileDialog:
      dialogs_[std::string(name)].fileName = PathFromTyped(text).path;
      return;
    case Kind::kTabControl:
    case Kind::kTabPage:
    case Kind::kWebView:
    case Kind::kCheckList:
      control.caption = text;
      return;
  }
}

bool QtToolkit::Visible(std::string_view name) const {
  const Control& control = Find(name);
  return control.widget != nullptr && !control.widget->isHidden();
}

void QtToolkit::SetVisible(std::string_view name, bool visible) {
  Control& control = Find(name);
  if (control.widget != nullptr) control.widget->setVisible(visible);
}

bool QtToolkit::Enabled(std::string_view name) const {
  const Control& control = Find(name);
  return control.widget != nullptr && control.widget->isEnabled();
}

void QtToolkit::SetEnabled(std::string_view name, bool enabled) {
  Control& control = Find(name);
  if (control.widget != nullptr) control.widget->setEnabled(enabled);
}

void QtToolkit::Focus(std::string_view name) {
  Control& control = Find(name);
  if (control.widget != nullptr) control.widget->setFocus();
}

void QtToolkit::ShowPage(std::string_view name) {
  QWidget* page = Find(name).widget;
  // The page's tab control is the nearest one up its chain of parents.
  for (QWidget* up = page != nullptr ? page->parentWidget() : nullptr; up != nullptr;
       up = up->parentWidget()) {
    if (auto* tabs = dynamic_cast<TabControl*>(up)) {
      for (int i = 0; i < tabs->pageCount(); ++i) {
        if (tabs->page(i) == page) tabs->SetCurrentPage(i);
      }
      return;
    }
  }
}

void QtToolkit::SetRows(std::string_view list, std::shared_ptr<const TableRows> rows,
                        const std::vector<bool>& ticks) {
  if (CheckListModel* model = CheckListModelOf(Find(list).widget)) {
    ++choosingRow_;
    model->SetRows(std::move(rows), ticks);
    --choosingRow_;
  }
}

int QtToolkit::CurrentRow(std::string_view list) const {
  auto* view = qobject_cast<QTableView*>(Find(list).widget.data());
  return view == nullptr ? -1 : view->currentIndex().row();
}

void QtToolkit::SetCurrentRow(std::string_view list, int row) {
  auto* view = qobject_cast<QTableView*>(Find(list).widget.data());
  if (view == nullptr || row < 0 || row >= view->model()->rowCount()) return;
  const QModelIndex index = view->model()->index(row, 0);
  ++choosingRow_;
  view->selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  --choosingRow_;
  view->scrollTo(index);
}

std::vector<bool> QtToolkit::Ticks(std::string_view list) const {
  const CheckListModel* model = CheckListModelOf(Find(list).widget);
  return model == nullptr ? std::vector<bool>() : model->Ticks();
}

std::vector<Path> QtToolkit::DroppedPaths(std::string_view control) const {
  return Find(control).dropped;
}

bool QtToolkit::Checked(std::string_view name) const {
  auto* button = qobject_cast<QAbstractButton*>(Find(name).widget.data());
  return button != nullptr && button->isChecked();
}

void QtToolkit::SetChecked(std::string_view name, bool checked) {
  if (auto* button = qobject_cast<QAbstractButton*>(Find(name).widget.data())) {
    button->setChecked(checked);
  }
}

int QtToolkit::SelectedIndex(std::string_view name) const {
  auto* list = qobject_cast<QComboBox*>(Find(name).widget.data());
  return list == nullptr ? -1 : list->currentIndex();
}

ByteText QtToolkit::ComboItemText(std::string_view name, int index) const {
  const Control& control = Find(name);
  if (control.kind == Kind::kDriveList) {
    if (index < 0 || index >= static_cast<int>(control.drives.size())) return {};
    return BytesFromUtf8(control.drives[static_cast<std::size_t>(index)].item);
  }
  if (index < 0 || index >= static_cast<int>(control.items.size())) return {};
  return control.items[static_cast<std::size_t>(index)];
}

void QtToolkit::SetComboItemText(std::string_view name, int index, const ByteText& text) {
  Control& control = Find(name);
  if (index < 0 || index >= static_cast<int>(control.items.size())) return;
  control.items[static_cast<std::size_t>(index)] = text;
  if (auto* list = qobject_cast<QComboBox*>(control.widget.data())) {
    list->setItemText(index, PlainFromBytes(text));
  }
}

void QtToolkit::SetTextEncoding(std::string_view name, Encoding encoding) {
  QWidget* widget = Find(name).widget.data();
  // Emptied first, so that no text is ever read in an encoding that is not its own.
  if (auto* edit = dynamic_cast<ByteTextEdit*>(widget)) {
    edit->SetBytes(ByteText());
    edit->SetEncoding(encoding);
  }
  if (auto* edit = dynamic_cast<ByteLineEdit*>(widget)) {
    edit->SetBytes(ByteText());
    edit->SetEncoding(encoding);
  }
}

namespace {

// A box of the program: no owner, modal for the program, no icon unless asked, a 确定
// button without the theme's tick, and wide enough for the caption in its title bar
// (Qt sizes a box by its text alone, and a window manager then elides the title).
void Prepare(QMessageBox& box) {
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  if (QAbstractButton* ok = box.button(QMessageBox::Ok)) {
    ok->setIcon(QIcon());
    ok->setText(QStringLiteral("确定"));
  }
  // The title bar's own font is the window manager's; the application font with room
  // for the window's buttons is a safe measure of it.
  const QFontMetrics title(QApplication::font("QMdiSubWindowTitleBar"));
  const int width = std::max(200, title.horizontalAdvance(box.windowTitle()) * 3 / 2 + 140);
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
}

// xdg-open hands the folder to the desktop's file manager and says by its exit status
// whether there was one (Qt's own call only says whether xdg-open started). It returns at
// once where it hands over; where it runs the file manager itself, a file manager that is
// still running after a moment was found.
bool OpenWithXdgOpen(const QString& opener, const QString& folder) {
  auto* process = new QProcess(qApp);
  process->setStandardOutputFile(QProcess::nullDevice());
  process->setStandardErrorFile(QProcess::nullDevice());
  process->start(opener, {folder});
  if (!process->waitForStarted()) {
    delete process;
    return false;
  }
  if (!process->waitForFinished(3000)) {
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    return true;
  }
  const bool opened = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
  delete process;
  return opened;
}

bool ShowInFileManager(const QString& folder) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
  const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  if (!opener.isEmpty()) return OpenWithXdgOpen(opener, folder);
#endif
  return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

}  // namespace

int QtToolkit::ShowMessageBox(const std::string& content, int flags, const std::string& caption) {
  // A question has 是 and 否 instead of 确定, 否 the default (Esc and the close box too).
  const bool question = (flags & kYesNo) != 0;
  QMessageBox box(QMessageBox::NoIcon, MessageText(caption.empty() ? DefaultCaption() : caption),
                  MessageText(content),
                  question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
  Prepare(box);
  if (question) {
    box.button(QMessageBox::Yes)->setText(QStringLiteral("是"));
    box.button(QMessageBox::No)->setText(QStringLiteral("否"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
  }
  const int pressed = box.exec();
  if (!question) return 0;
  return pressed == QMessageBox::Yes ? kAnswerYes : kAnswerNo;
}

void QtToolkit::ShowCompletion(const std::string& content, const std::string& caption,
                               const Path& folder) {
  QMessageBox box(QMessageBox::NoIcon, MessageText(caption.empty() ? DefaultCaption() : caption),
                  MessageText(content), QMessageBox::Ok);
  QPushButton* open = box.addButton(QStringLiteral("打开文件夹"), QMessageBox::ActionRole);
  Prepare(box);
  box.setDefaultButton(QMessageBox::Ok);
  box.exec();
  if (box.clickedButton() != open) return;
  if (ShowInFileManager(NativeQPath(folder))) return;
  // No file manager to hand the folder to: the path, to be copied, is the next best thing.
  QMessageBox missing(QMessageBox::NoIcon, MessageText(DefaultCaption()),
                      QStringLiteral("没有找到文件管理器。输出文件夹是：\n%1")
                          .arg(QString::fromStdString(DisplayName(folder))),
                      QMessageBox::Ok);
  missing.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  Prepare(missing);
  missing.exec();
}

void ShowStopBox(const ByteText& text, const ByteText& caption) {
  QMessageBox box(QMessageBox::Critical, CaptionText(caption), CaptionText(text), QMessageBox::Ok);
  Prepare(box);
  box.exec();
}

void QtToolkit::ChooseWithoutDialog(std::string_view component, const Path& path) {
  auto found = dialogs_.find(component);
  if (found == dialogs_.end()) UnknownControl(component);
  found->second.preset = path;
}

bool QtToolkit::ShowFileDialog(std::string_view component) {
  auto found = dialogs_.find(component);
  if (found == dialogs_.end()) UnknownControl(component);
  FileDialogSettings& settings = found->second;
  if (!settings.preset.empty()) {
    settings.fileName = std::exchange(settings.preset, Path());
    return true;
  }

  // Our own dialog: Qt's leaves out names that are not valid UTF-8.
  OpenFileDialog dialog(settings.filters);
  dialog.setWindowModality(Qt::ApplicationModal);
  if (settings.save) dialog.SetSaving();
  if (!settings.fileName.empty()) {
    dialog.SetFolder(FolderPart(settings.fileName));
    const PathChars& last = settings.fileName.native();
    dialog.SelectName(Path(last.substr(last.rfind(kPathSeparator) + 1)));
  } else if (!settings.initialFolder.isEmpty() && QDir(settings.initialFolder).exists()) {
    dialog.SetFolder(Path(settings.initialFolder.toStdString()));
  } else {
    dialog.SetFolder(Path(QDir::currentPath().toStdString()));
  }
  if (dialog.exec() != QDialog::Accepted || dialog.chosen().empty()) return false;
  settings.fileName = dialog.chosen();
  return true;
}

void QtToolkit::SetPath(std::string_view name, const Path& path) {
  Control& control = Find(name);
  switch (control.kind) {
    case Kind::kFolderTree:
      static_cast<FolderTreeView*>(control.widget.data())->SetPath(path.native());
      return;
    case Kind::kDriveList:
      for (std::size_t i = 0; i < control.drives.size(); ++i) {
        if (control.drives[i].mountPoint == path.native()) {
          static_cast<QComboBox*>(control.widget.data())->setCurrentIndex(static_cast<int>(i));
        }
      }
      return;
    case Kind::kFileDialog:
      dialogs_[std::string(name)].fileName = path;
      return;
    default:
      Toolkit::SetPath(name, path);
  }
}

std::optional<Path> QtToolkit::PathIn(std::string_view name) const {
  const Control& control = Find(name);
  switch (control.kind) {
    case Kind::kFolderTree:
      if (auto* tree = dynamic_cast<FolderTreeView*>(control.widget.data())) {
        return Path(tree->Value());
      }
      return std::nullopt;
    case Kind::kDriveList: {
      const int index = SelectedIndex(name);
      if (index < 0 || index >= static_cast<int>(control.drives.size())) return std::nullopt;
      return Path(control.drives[static_cast<std::size_t>(index)].mountPoint);
    }
    case Kind::kFileDialog:
      return DialogFileName(name);
    default:
      return Toolkit::PathIn(name);
  }
}

TypedName QtToolkit::TypedPathIn(std::string_view name) const {
  if (auto path = PathIn(name)) return {*path, {}};
  const auto* edit = dynamic_cast<const ByteLineEdit*>(Find(name).widget.data());
  if (edit == nullptr) return Toolkit::TypedPathIn(name);
  // The box's GBK bytes would hold "?" for a character GBK lacks; the text holds it. A
  // stand-in for a byte that is no character is refused as a typed byte is.
  const QString text = edit->text();
  if (std::any_of(text.begin(), text.end(), [](QChar c) { return IsByteStandIn(c.unicode()); })) {
    return Toolkit::TypedPathIn(name);
  }
  return {Path(text.toStdString()), {}};
}

Path QtToolkit::DialogFileName(std::string_view component) const {
  auto found = dialogs_.find(component);
  if (found == dialogs_.end()) UnknownControl(component);
  return found->second.fileName;
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

bool QtToolkit::LoadWindow(std::string_view window, std::string_view parent, bool modal) {
  auto open = windows_.find(window);
  if (open != windows_.end() && open->second) {
    QWidget* existing = open->second;
    existing->setWindowState(existing->windowState() & ~Qt::WindowMinimized);
    existing->raise();
    existing->activateWindow();
    return true;
  }
  QWidget* owner = parent.empty() ? nullptr : Widget(parent);
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

void QtToolkit::CloseWindow(std::string_view window) {
  auto open = windows_.find(window);
  if (open != windows_.end() && open->second) open->second->close();
}

bool QtToolkit::SetControlStyle(int style) {
  style_ = (style >= 1 && style <= 3) ? style : 0;
  qApp->setStyleSheet(ControlStyleSheet(style_));
  return true;
}

}  // namespace morvane::ui
