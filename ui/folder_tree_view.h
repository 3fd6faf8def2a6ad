// SPDX-License-Identifier: MIT
#pragma once
// The folder tree of the save-location window: a Qt item model over FolderTreeModel and
// the view that shows it.
//
// The item model builds nothing per folder: an index is a depth on the chain or a row of
// the listing, names are decoded when a row is drawn, and every change of the tree is
// one model reset. So a folder with 100 000 subfolders costs its listing and sorting,
// and a screenful of rows.

#include <functional>
#include <string>
#include <string_view>

#include <QAbstractItemModel>
#include <QIcon>
#include <QTreeView>

#include "ui/folder_tree_model.h"

namespace morvane::ui {

class FolderItemModel : public QAbstractItemModel {
 public:
  explicit FolderItemModel(FolderTreeModel::Lister lister, QObject* parent = nullptr);

  void SetPath(std::string_view path);
  bool Open(FolderTreeModel::Node node);
  const FolderTreeModel& tree() const { return tree_; }
  void SetIcons(QIcon opened, QIcon closed);

  QModelIndex IndexOf(FolderTreeModel::Node node) const;
  // The node of a valid index of this model.
  FolderTreeModel::Node NodeOf(const QModelIndex& index) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& index) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  FolderTreeModel tree_;
  QIcon opened_;
  QIcon closed_;
};

// A double-click or Enter opens the selected node; a single click only selects. The keys
// move within the rows shown (End: the last row, Home: the root). After each change the
// opened folder is selected and shown with as many of its ancestors as fit; the tree
// scrolls sideways so that the selected node's name is always in view.
class FolderTreeView : public QTreeView {
 public:
  explicit FolderTreeView(QWidget* parent,
                          FolderTreeModel::Lister lister = FolderTreeModel::ListSubfolders);

  void SetPath(std::string_view nativePath);
  const std::string& Value() const { return model_->tree().value(); }
  // Runs when opening a node changed the tree's value.
  void SetOnOpened(std::function<void()> onOpened) { onOpened_ = std::move(onOpened); }
  // Opens the selected node, as a double-click or Enter does.
  void OpenSelected();
  const FolderTreeModel& tree() const { return model_->tree(); }

  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ShowChanged();
  void FitColumn();
  int RowWidth(const QModelIndex& index) const;
  void ShowSideways(const QModelIndex& index);

  FolderItemModel* model_;
  std::function<void()> onOpened_;
  int contentWidth_ = 0;  // the widest row, indentation included
};

}  // namespace morvane::ui
