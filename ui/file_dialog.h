// SPDX-License-Identifier: MIT
#pragma once
// The open-file dialog of the file dialog components, and how file names are shown.
//
// Qt's own dialog reads folders through QString names and leaves out every name that is
// not valid UTF-8 (a file unpacked from an archive made on Chinese Windows is named in GBK
// bytes), so this dialog lists folders itself: each entry keeps the file system's bytes,
// the list shows them decoded, and the file chosen is returned as those exact bytes.

#include <optional>
#include <vector>

#include <QAbstractListModel>
#include <QDialog>
#include <QString>

#include "core/folder_listing.h"
#include "core/path.h"
#include "ui/control_row.h"

class QComboBox;
class QLineEdit;
class QListView;
class QPushButton;

namespace morvane::ui {

// A name as the user reads it (see DisplayName), marked when it is not valid UTF-8:
// "中文.txt （非UTF-8）".
QString ShownFileName(const Path& name);
// Whether name matches a wildcard pattern (* and ?), ASCII letters without case.
bool MatchesPattern(std::string_view name, std::string_view pattern);

class FolderEntryModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;
  // Folders first, then the files that match one of the patterns, each part sorted.
  void Show(std::vector<FolderEntry> entries, const std::vector<std::string>& patterns);
  const FolderEntry& entry(int row) const { return entries_.at(static_cast<std::size_t>(row)); }
  int RowNamed(const QString& shown) const;  // -1 when none

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  std::vector<FolderEntry> entries_;
};

// Folder box with an up button, the list, the file-name box ("fileNameEdit"), the file
// type list and 打开 / 取消. A double-click or Enter on a folder goes into it; on a file,
// or 打开 with a name that exists, accepts. A typed name that is neither a folder nor an
// existing file is refused with a message inside the dialog.
class OpenFileDialog : public QDialog {
 public:
  // The file types the dialog offers, the first chosen at start.
  explicit OpenFileDialog(std::span<const FileFilter> filters, QWidget* parent = nullptr);

  // Asks for a name to save to instead: 保存 takes a new name in an existing folder, and
  // one that exists once the user agrees to replace it.
  void SetSaving();
  void SetFolder(const Path& folder);
  // Selects the entry of the current folder that has this name, and shows it in the box
  // (a name to save to also when no entry has it).
  void SelectName(const Path& name);
  const Path& folder() const { return folder_; }
  // The file chosen, once accepted.
  const Path& chosen() const { return chosen_; }

  void accept() override;

 private:
  void Refresh();
  void Activate(int row);
  Path TypedPath(const QString& typed) const;
  // Takes path as the file chosen; a file to save to that exists only if it may be replaced.
  void Choose(const Path& path);

  Path folder_;
  Path chosen_;
  std::vector<std::string> patterns_;
  std::vector<FileFilter> filters_;
  FolderEntryModel* entries_;
  QLineEdit* folderBox_;
  QListView* list_;
  QLineEdit* nameBox_;
  QComboBox* types_;
  QPushButton* open_;
  bool saving_ = false;
};

}  // namespace morvane::ui
