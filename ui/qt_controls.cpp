// SPDX-License-Identifier: MIT
// The Qt toolkit's controls read and written: texts, paths, lists, ticks, visibility and
// the settings kept between runs.
#include "ui/qt_toolkit.h"

#include <algorithm>
#include <string>

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QSettings>
#include <QSpinBox>

#include "core/gbk.h"
#include "core/numbers.h"
#include "ui/byte_text_edit.h"
#include "ui/check_list.h"
#include "ui/folder_tree_view.h"
#include "ui/qt_toolkit_parts.h"
#include "ui/widgets.h"

namespace morvane::ui {

using namespace qt_parts;

ByteText QtToolkit::Text(TextControl name) const {
  const Control& control = Find(name);
  if (control.isWindow) return control.caption;
  switch (control.kind) {
    case Kind::kEdit:
      if (auto* edit = dynamic_cast<ByteTextEdit*>(control.widget.data())) return edit->Bytes();
      if (auto* edit = dynamic_cast<ByteLineEdit*>(control.widget.data())) return edit->Bytes();
      return {};
    case Kind::kDropDown:
      return ComboItemText(DropDown(name), SelectedIndex(DropDown(name)));
    case Kind::kDriveList: {
      const int index = SelectedIndex(DriveList(name));
      if (index < 0 || index >= static_cast<int>(control.drives.size())) return {};
      return DisplayNameGbk(Path(control.drives[static_cast<std::size_t>(index)].mountPoint));
    }
    case Kind::kFolderTree:
      if (auto* tree = dynamic_cast<FolderTreeView*>(control.widget.data())) {
        return DisplayNameGbk(Path(tree->Value()));
      }
      return {};
    case Kind::kFileDialog:
      return DisplayNameGbk(DialogFileName(FileDialog(name)));
    case Kind::kSpin:
      return ByteText(std::to_string(static_cast<QSpinBox*>(control.widget.data())->value()));
    default:
      return control.caption;
  }
}

int QtToolkit::TextLength(TextControl name) const {
  if (auto* edit = dynamic_cast<ByteTextEdit*>(Find(name).widget.data())) return edit->ByteLength();
  return morvane::TextLength(Text(name));
}

void QtToolkit::ReplaceTextAsEdit(EditBox name, const ByteText& text) {
  if (auto* edit = dynamic_cast<ByteTextEdit*>(Find(name).widget.data())) {
    edit->ReplaceAll(text);  // reported as the user's edit
    return;
  }
  SetText(name, text);
}

void QtToolkit::ReplaceTextAsEdit(EditBox name, const ByteText& text, Encoding encoding) {
  if (auto* edit = dynamic_cast<ByteTextEdit*>(Find(name).widget.data())) {
    edit->ReplaceAll(text, encoding);  // reported as the user's edit
    return;
  }
  SetTextEncoding(name, encoding);
  SetText(name, text);
}

std::optional<Encoding> QtToolkit::TextEncodingNow(EditBox name) const {
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

void QtToolkit::SetText(TextControl name, const ByteText& text) {
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

bool QtToolkit::Visible(AnyControl name) const {
  const Control& control = Find(name);
  return control.widget != nullptr && !control.widget->isHidden();
}

void QtToolkit::SetVisible(AnyControl name, bool visible) {
  Control& control = Find(name);
  if (control.widget != nullptr) control.widget->setVisible(visible);
}

bool QtToolkit::Enabled(AnyControl name) const {
  const Control& control = Find(name);
  return control.widget != nullptr && control.widget->isEnabled();
}

void QtToolkit::SetEnabled(AnyControl name, bool enabled) {
  Control& control = Find(name);
  if (control.widget != nullptr) control.widget->setEnabled(enabled);
}

void QtToolkit::Focus(AnyControl name) {
  Control& control = Find(name);
  if (control.widget != nullptr) control.widget->setFocus();
}

void QtToolkit::ShowPage(TabPage name) {
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

void QtToolkit::SetRows(CheckList list, std::shared_ptr<const TableRows> rows,
                        const std::vector<bool>& ticks) {
  if (CheckListModel* model = CheckListModelOf(Find(list).widget)) {
    ++choosingRow_;
    model->SetRows(std::move(rows), ticks);
    --choosingRow_;
  }
}

int QtToolkit::CurrentRow(CheckList list) const {
  auto* view = qobject_cast<QTableView*>(Find(list).widget.data());
  return view == nullptr ? -1 : view->currentIndex().row();
}

void QtToolkit::SetCurrentRow(CheckList list, int row) {
  auto* view = qobject_cast<QTableView*>(Find(list).widget.data());
  if (view == nullptr || row < 0 || row >= view->model()->rowCount()) return;
  const QModelIndex index = view->model()->index(row, 0);
  ++choosingRow_;
  view->selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  --choosingRow_;
  view->scrollTo(index);
}

std::vector<bool> QtToolkit::Ticks(CheckList list) const {
  const CheckListModel* model = CheckListModelOf(Find(list).widget);
  return model == nullptr ? std::vector<bool>() : model->Ticks();
}

std::vector<Path> QtToolkit::DroppedPaths(DropTarget control) const {
  return Find(control).dropped;
}

bool QtToolkit::Checked(RadioButton name) const {
  auto* button = qobject_cast<QAbstractButton*>(Find(name).widget.data());
  return button != nullptr && button->isChecked();
}

void QtToolkit::SetChecked(RadioButton name, bool checked) {
  if (auto* button = qobject_cast<QAbstractButton*>(Find(name).widget.data())) {
    button->setChecked(checked);
  }
}

int QtToolkit::SelectedIndex(ListControl name) const {
  auto* list = qobject_cast<QComboBox*>(Find(name).widget.data());
  return list == nullptr ? -1 : list->currentIndex();
}

ByteText QtToolkit::ComboItemText(ListControl name, int index) const {
  const Control& control = Find(name);
  if (control.kind == Kind::kDriveList) {
    if (index < 0 || index >= static_cast<int>(control.drives.size())) return {};
    return BytesFromUtf8(control.drives[static_cast<std::size_t>(index)].item);
  }
  if (index < 0 || index >= static_cast<int>(control.items.size())) return {};
  return control.items[static_cast<std::size_t>(index)];
}

void QtToolkit::SetComboItemText(DropDown name, int index, const ByteText& text) {
  Control& control = Find(name);
  if (index < 0 || index >= static_cast<int>(control.items.size())) return;
  control.items[static_cast<std::size_t>(index)] = text;
  if (auto* list = qobject_cast<QComboBox*>(control.widget.data())) {
    list->setItemText(index, PlainFromBytes(text));
  }
}

void QtToolkit::SetTextEncoding(EditBox name, Encoding encoding) {
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

void QtToolkit::SetPath(PathControl name, const Path& path) {
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

std::optional<Path> QtToolkit::PathIn(PathControl name) const {
  const Control& control = Find(name);
  switch (control.kind) {
    case Kind::kFolderTree:
      if (auto* tree = dynamic_cast<FolderTreeView*>(control.widget.data())) {
        return Path(tree->Value());
      }
      return std::nullopt;
    case Kind::kDriveList: {
      const int index = SelectedIndex(DriveList(name));
      if (index < 0 || index >= static_cast<int>(control.drives.size())) return std::nullopt;
      return Path(control.drives[static_cast<std::size_t>(index)].mountPoint);
    }
    case Kind::kFileDialog:
      return DialogFileName(FileDialog(name));
    default:
      return Toolkit::PathIn(name);
  }
}

TypedName QtToolkit::TypedPathIn(PathControl name) const {
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

}  // namespace morvane::ui
