// SPDX-License-Identifier: MIT
#include "ui/file_dialog.h"

#include <algorithm>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

#include "core/encoding.h"
#include "ui/folder_tree_model.h"

namespace morvane::ui {
namespace {

QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

unsigned char Folded(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + 32) : byte;
}

// The patterns of a file type, "*" for one that names none.
std::vector<std::string> TypePatterns(std::span<const FileFilter> filters, int index) {
  std::vector<std::string> result;
  if (index >= 0 && static_cast<std::size_t>(index) < filters.size()) {
    for (const std::string_view pattern : PatternsOf(filters[static_cast<std::size_t>(index)])) {
      result.emplace_back(pattern);
    }
  }
  if (result.empty()) result.emplace_back("*");
  return result;
}

bool HasWildcard(const QString& text) {
  return text.contains(QLatin1Char('*')) || text.contains(QLatin1Char('?'));
}

}  // namespace

QString ShownFileName(const Path& name) {
  QString shown = Utf8(DisplayName(name));
  if (!IsUtf8(name.native())) shown += QStringLiteral(" （非UTF-8）");
  return shown;
}

bool MatchesPattern(std::string_view name, std::string_view pattern) {
  // The classic backtracking match: a "*" remembers where to resume on a mismatch.
  std::size_t n = 0, p = 0, starAt = std::string_view::npos, resumeAt = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starAt = p++;
      resumeAt = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || Folded(pattern[p]) == Folded(name[n]))) {
      ++p;
      ++n;
    } else if (starAt != std::string_view::npos) {
      p = starAt + 1;
      n = ++resumeAt;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

void FolderEntryModel::Show(std::vector<FolderEntry> entries,
                            const std::vector<std::string>& patterns) {
  std::erase_if(entries, [&](const FolderEntry& entry) {
    return !entry.folder && std::none_of(patterns.begin(), patterns.end(), [&](const auto& p) {
      return MatchesPattern(entry.name.native(), p);
    });
  });
  std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
    if (a.folder != b.folder) return a.folder;
    return FolderTreeModel::Before(a.name.native(), b.name.native());
  });
  beginResetModel();
  entries_ = std::move(entries);
  endResetModel();
}

int FolderEntryModel::RowNamed(const QString& shown) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const Path& name = entries_[i].name;
    if (ShownFileName(name) == shown || Utf8(DisplayName(name)) == shown) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

int FolderEntryModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

QVariant FolderEntryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const FolderEntry& shown = entry(index.row());
  switch (role) {
    case Qt::DisplayRole:
      return ShownFileName(shown.name);
    case Qt::ToolTipRole:
      if (IsUtf8(shown.name.native())) return {};
      return QStringLiteral(
          "这个名字不是有效的 UTF-8，按 GBK 显示（无法解码的字节写作 \\xNN）；"
          "打开时用的是它原来的字节。");
    case Qt::DecorationRole:
      return QApplication::style()->standardIcon(shown.folder ? QStyle::SP_DirIcon
                                                              : QStyle::SP_FileIcon);
    default:
      return {};
  }
}

OpenFileDialog::OpenFileDialog(std::span<const FileFilter> filters, QWidget* parent)
    : QDialog(parent),
      filters_(filters.begin(), filters.end()),
      entries_(new FolderEntryModel(this)),
      folderBox_(new QLineEdit(this)),
      list_(new QListView(this)),
      nameBox_(new QLineEdit(this)),
      types_(new QComboBox(this)),
      open_(new QPushButton(QStringLiteral("打开"), this)) {
  setWindowTitle(QStringLiteral("打开"));
  resize(560, 360);
  auto* up = new QToolButton(this);
  up->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
  up->setToolTip(QStringLiteral("向上一级"));
  nameBox_->setObjectName(QStringLiteral("fileNameEdit"));
  list_->setModel(entries_);
  list_->setUniformItemSizes(true);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Each type as Qt's own dialogs show it: "txt文本 (*.txt)".
  for (const FileFilter& type : filters_) {
    QStringList patterns;
    for (const std::string_view pattern : PatternsOf(type)) patterns << Utf8(pattern);
    types_->addItem(
        QStringLiteral("%1 (%2)").arg(Utf8(type.name), patterns.join(QLatin1Char(' '))));
  }
  QPushButton* open = open_;
  auto* cancel = new QPushButton(QStringLiteral("取消"), this);
  open->setDefault(true);

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("查找范围："), this), 0, 0);
  grid->addWidget(folderBox_, 0, 1);
  grid->addWidget(up, 0, 2);
  grid->addWidget(list_, 1, 0, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("文件名："), this), 2, 0);
  grid->addWidget(nameBox_, 2, 1);
  grid->addWidget(open, 2, 2);
  grid->addWidget(new QLabel(QStringLiteral("文件类型："), this), 3, 0);
  grid->addWidget(types_, 3, 1);
  grid->addWidget(cancel, 3, 2);

  connect(open, &QPushButton::clicked, this, &OpenFileDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(up, &QToolButton::clicked, this, [this] { SetFolder(FolderPart(folder_)); });
  connect(folderBox_, &QLineEdit::returnPressed, this, [this] {
    const Path typed = TypedPath(folderBox_->text());
    if (KindOf(typed) == EntryKind::kFolder) SetFolder(typed);
    folderBox_->setText(Utf8(DisplayName(folder_)));
  });
  connect(list_, &QListView::doubleClicked, this,
          [this](const QModelIndex& index) { Activate(index.row()); });
  connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& index) {
            if (index.isValid())
              nameBox_->setText(ShownFileName(entries_->entry(index.row()).name));
          });
  connect(types_, &QComboBox::currentIndexChanged, this, [this] {
    patterns_ = TypePatterns(filters_, types_->currentIndex());
    Refresh();
  });
  patterns_ = TypePatterns(filters_, types_->currentIndex());
  nameBox_->setFocus();
}

void OpenFileDialog::SetSaving() {
  saving_ = true;
  setWindowTitle(QStringLiteral("保存"));
  open_->setText(QStringLiteral("保存"));
}

void OpenFileDialog::SetFolder(const Path& folder) {
  folder_ = folder;
  folderBox_->setText(Utf8(DisplayName(folder_)));
  nameBox_->clear();
  Refresh();
}

void OpenFileDialog::Refresh() {
  entries_->Show(ListFolder(folder_), patterns_);
}

void OpenFileDialog::SelectName(const Path& name) {
  const int row = entries_->RowNamed(ShownFileName(name));
  if (row >= 0) list_->setCurrentIndex(entries_->index(row));
  if (row >= 0 || saving_) nameBox_->setText(ShownFileName(name));
}

Path OpenFileDialog::TypedPath(const QString& typed) const {
  const Path path(typed.toUtf8().toStdString());
  if (typed.startsWith(QLatin1Char('/'))) return path;
  return JoinPath(folder_, path);
}

void OpenFileDialog::Activate(int row) {
  const FolderEntry& entry = entries_->entry(row);
  const Path path = JoinPath(folder_, entry.name);
  if (entry.folder) {
    SetFolder(path);
    return;
  }
  Choose(path);
}

void OpenFileDialog::Choose(const Path& path) {
  if (saving_ && KindOf(path) != EntryKind::kMissing) {
    const QString name =
        ShownFileName(Path(path.native().substr(path.native().rfind(kPathSeparator) + 1)));
    const auto answer = QMessageBox::question(
        this, windowTitle(), QStringLiteral("“%1”已存在。\n要替换它吗？").arg(name),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) return;
  }
  chosen_ = path;
  QDialog::accept();
}

void OpenFileDialog::accept() {
  const QString typed = nameBox_->text();
  if (typed.isEmpty()) {
    const QModelIndex current = list_->currentIndex();
    if (current.isValid()) Activate(current.row());
    return;
  }
  if (HasWildcard(typed)) {
    patterns_ = {typed.toStdString()};
    Refresh();
    return;
  }
  // A name of the list keeps that entry's own bytes, whatever its decoding shows.
  if (const int row = entries_->RowNamed(typed); row >= 0) {
    Activate(row);
    return;
  }
  const Path path = TypedPath(typed);
  switch (KindOf(path)) {
    case EntryKind::kFolder:
      SetFolder(path);
      return;
    case EntryKind::kFile:
      Choose(path);
      return;
    default:
      if (saving_ && KindOf(FolderPart(path)) == EntryKind::kFolder) {
        Choose(path);
        return;
      }
      QMessageBox::warning(this, windowTitle(),
                           QStringLiteral("找不到文件“%1”。\n请检查文件名是否正确。").arg(typed));
  }
}

}  // namespace morvane::ui
