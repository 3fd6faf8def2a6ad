// SPDX-License-Identifier: MIT
#include "ui/folder_tree_view.h"

#include <algorithm>
#include <climits>

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>

#include "ui/file_dialog.h"

namespace morvane::ui {
namespace {

using Node = FolderTreeModel::Node;

// How many of the listing's names are measured exactly when the column is fitted: those
// that a per-character estimate ranks widest.
constexpr std::size_t kMeasuredNames = 64;
// Rows of the listing kept in view below an opened folder, where the chain leaves room.
constexpr int kListingRowsShown = 2;

}  // namespace

FolderItemModel::FolderItemModel(FolderTreeModel::Lister lister, QObject* parent)
    : QAbstractItemModel(parent), tree_(std::move(lister)) {}

void FolderItemModel::SetIcons(QIcon opened, QIcon closed) {
  opened_ = std::move(opened);
  closed_ = std::move(closed);
}

void FolderItemModel::SetPath(std::string_view path) {
  beginResetModel();
  tree_.SetPath(path);
  endResetModel();
}

bool FolderItemModel::Open(Node node) {
  // Case 2 changes nothing, so the view keeps its state.
  const Node last = tree_.last();
  if (!tree_.Valid(node) ||
      (!node.listed() && node.depth == last.depth && !tree_.listing().empty())) {
    return false;
  }
  beginResetModel();
  const bool changed = tree_.Open(node);
  endResetModel();
  return changed;
}

// An index's internal id is its depth: a chain node's depth, or the chain's length for
// the listing's rows. A chain node is always row 0 of its parent.
QModelIndex FolderItemModel::IndexOf(Node node) const {
  if (!tree_.Valid(node)) return {};
  return createIndex(node.listed() ? static_cast<int>(node.entry) : 0, 0,
                     static_cast<quintptr>(node.depth));
}

Node FolderItemModel::NodeOf(const QModelIndex& index) const {
  const auto depth = static_cast<std::size_t>(index.internalId());
  if (depth == tree_.chain().size()) return {depth, index.row()};
  return {depth};
}

QModelIndex FolderItemModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0 || row >= rowCount(parent)) return {};
  const std::size_t depth = parent.isValid() ? parent.internalId() + 1 : 0;
  return createIndex(row, 0, static_cast<quintptr>(depth));
}

QModelIndex FolderItemModel::parent(const QModelIndex& index) const {
  if (!index.isValid() || index.internalId() == 0) return {};
  return createIndex(0, 0, index.internalId() - 1);
}

int FolderItemModel::rowCount(const QModelIndex& parent) const {
  const std::size_t chain = tree_.chain().size();
  if (!parent.isValid()) return chain == 0 ? 0 : 1;
  if (parent.column() != 0) return 0;
  const std::size_t depth = parent.internalId();
  if (depth + 1 < chain) return 1;
  if (depth + 1 == chain)
    return static_cast<int>(std::min<std::size_t>(tree_.listing().size(), INT_MAX));
  return 0;
}

int FolderItemModel::columnCount(const QModelIndex& /*parent*/) const {
  return 1;
}

QVariant FolderItemModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const Node node = NodeOf(index);
  if (!tree_.Valid(node)) return {};
  switch (role) {
    case Qt::DisplayRole:
      return ShownFileName(Path(tree_.NameOf(node)));
    case Qt::ToolTipRole:
      return ShownFileName(Path(tree_.PathOf(node)));
    case Qt::DecorationRole:
      return node.listed() ? closed_ : opened_;
    default:
      return {};
  }
}

Qt::ItemFlags FolderItemModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (NodeOf(index).listed()) flags |= Qt::ItemNeverHasChildren;
  return flags;
}

FolderTreeView::FolderTreeView(QWidget* parent, FolderTreeModel::Lister lister)
    : QTreeView(parent), model_(new FolderItemModel(std::move(lister), this)) {
  model_->SetIcons(style()->standardIcon(QStyle::SP_DirOpenIcon),
                   style()->standardIcon(QStyle::SP_DirClosedIcon));
  setModel(model_);
  setHeaderHidden(true);
  // Every row is one line: the view then lays out and scrolls without asking each row.
  setUniformRowHeights(true);
  // Only opening a node changes the tree; Qt's own expanding and collapsing would not.
  setExpandsOnDoubleClick(false);
  setItemsExpandable(false);
  setRootIsDecorated(false);
  setIndentation(12);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setTextElideMode(Qt::ElideNone);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(QHeaderView::Fixed);
  connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    setCurrentIndex(index);
    OpenSelected();
  });
}

void FolderTreeView::SetPath(std::string_view nativePath) {
  model_->SetPath(nativePath);
  ShowChanged();
}

void FolderTreeView::OpenSelected() {
  const QModelIndexList selected = selectionModel()->selectedIndexes();
  if (selected.isEmpty()) return;
  if (!model_->Open(model_->NodeOf(selected.front()))) return;
  ShowChanged();
  if (onOpened_) onOpened_();
}

void FolderTreeView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    OpenSelected();
    return;
  }
  QTreeView::keyPressEvent(event);
}

QModelIndex FolderTreeView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  const FolderTreeModel& tree = model_->tree();
  if (tree.empty()) return {};
  // The rows shown are the chain and then the listing, all expanded: the first row is
  // the root and the last is the listing's last entry, or the chain's end.
  if (action == MoveHome) return model_->IndexOf({0});
  if (action == MoveEnd) {
    const std::size_t entries = tree.listing().size();
    if (entries == 0) return model_->IndexOf(tree.last());
    return model_->IndexOf({tree.chain().size(), static_cast<std::ptrdiff_t>(entries - 1)});
  }
  const QModelIndex moved = QTreeView::moveCursor(action, modifiers);
  return moved.isValid() ? moved : currentIndex();
}

void FolderTreeView::ShowChanged() {
  const FolderTreeModel& tree = model_->tree();
  expandAll();
  FitColumn();
  executeDelayedItemsLayout();
  if (tree.empty()) return;
  const Node last = tree.last();
  const QModelIndex opened = model_->IndexOf(last);
  selectionModel()->setCurrentIndex(opened, QItemSelectionModel::ClearAndSelect);
  // The chain from the root down to the opened folder stays in view, and a few of its
  // subfolders below it; a chain longer than the view keeps the rows nearest the folder.
  const int rowHeight = std::max(1, QTreeView::rowHeight(opened));
  const int rows = std::max(1, viewport()->height() / rowHeight);
  const int depth = static_cast<int>(last.depth);
  const int below = static_cast<int>(
      std::min<std::size_t>(tree.listing().size(), static_cast<std::size_t>(kListingRowsShown)));
  verticalScrollBar()->setValue(std::clamp(depth + 1 + below - rows, 0, depth));
  ShowSideways(opened);
}

int FolderTreeView::RowWidth(const QModelIndex& index) const {
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  int depth = 0;
  for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) ++depth;
  return depth * indentation() + itemDelegateForIndex(index)->sizeHint(option, index).width();
}

void FolderTreeView::FitColumn() {
  const FolderTreeModel& tree = model_->tree();
  int widest = 0;
  for (std::size_t depth = 0; depth < tree.chain().size(); ++depth) {
    widest = std::max(widest, RowWidth(model_->IndexOf({depth})));
  }
  // The listing's names are ranked by their length in bytes (a wide character takes two
  // or three), and only the longest few are laid out.
  const std::vector<std::string>& names = tree.listing();
  std::vector<std::pair<std::size_t, std::size_t>> ranked;  // bytes, entry
  ranked.reserve(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    ranked.emplace_back(names[i].size(), i);
  }
  const std::size_t measured = std::min(kMeasuredNames, ranked.size());
  std::partial_sort(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(measured),
                    ranked.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  for (std::size_t i = 0; i < measured; ++i) {
    const Node node{tree.chain().size(), static_cast<std::ptrdiff_t>(ranked[i].second)};
    widest = std::max(widest, RowWidth(model_->IndexOf(node)));
  }
  contentWidth_ = widest;
  header()->resizeSection(0, std::max(widest, viewport()->width()));
}

void FolderTreeView::resizeEvent(QResizeEvent* event) {
  QTreeView::resizeEvent(event);
  header()->resizeSection(0, std::max(contentWidth_, viewport()->width()));
}

void FolderTreeView::ShowSideways(const QModelIndex& index) {
  if (!index.isValid()) return;
  // visualRect starts after the row's indentation; the name ends where its own width
  // says, not at the column's end.
  QScrollBar* bar = horizontalScrollBar();
  const QRect rect = visualRect(index);
  const int left = rect.left() + bar->value();
  int depth = 0;
  for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) ++depth;
  const int right = left + RowWidth(index) - depth * indentation();
  const int width = viewport()->width();
  if (right - left >= width || left < bar->value()) {
    bar->setValue(left - indentation());
  } else if (right > bar->value() + width) {
    bar->setValue(right - width);
  }
}

void FolderTreeView::scrollTo(const QModelIndex& index, ScrollHint hint) {
  QTreeView::scrollTo(index, hint);
  ShowSideways(index);
}

}  // namespace morvane::ui
