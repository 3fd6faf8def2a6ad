// SPDX-License-Identifier: MIT
#include "ui/check_list.h"

#include <QBrush>
#include <QHeaderView>

namespace morvane::ui {
namespace {

QColor ColourOf(std::uint32_t rgb) {
  if (rgb == kNoColour) return {};
  return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

}  // namespace

CheckListModel::CheckListModel(std::span<const Column> columns, QColor marked, QColor unticked,
                               bool boxes, QObject* parent)
    : QAbstractTableModel(parent),
      columns_(columns),
      marked_(marked),
      unticked_(unticked),
      boxes_(boxes) {}

void CheckListModel::SetRows(std::shared_ptr<const TableRows> rows,
                             const std::vector<bool>& ticks) {
  beginResetModel();
  rows_ = std::move(rows);
  ticks_.assign(rows_ ? static_cast<std::size_t>(rows_->Count()) : 0, true);
  for (std::size_t i = 0; i < ticks.size() && i < ticks_.size(); ++i) ticks_[i] = ticks[i];
  endResetModel();
}

void CheckListModel::SetTick(int row, bool ticked) {
  if (row < 0 || row >= rowCount() || ticks_[static_cast<std::size_t>(row)] == ticked) return;
  ticks_[static_cast<std::size_t>(row)] = ticked;
  emit dataChanged(index(row, 0), index(row, columnCount() - 1));
  emit this->ticked();
}

int CheckListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(ticks_.size());
}

int CheckListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant CheckListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const int row = index.row();
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(rows_->Cell(row, index.column()));
    case Qt::ToolTipRole:
      return QString::fromStdString(rows_->Tip(row, index.column()));
    case Qt::CheckStateRole:
      if (boxes_ && index.column() == 0)
        return ticks_[static_cast<std::size_t>(row)] ? Qt::Checked : Qt::Unchecked;
      return {};
    case Qt::BackgroundRole:
      if (marked_.isValid() && rows_->Marked(row)) return QBrush(marked_);
      return {};
    case Qt::ForegroundRole:
      if (unticked_.isValid() && !ticks_[static_cast<std::size_t>(row)]) return QBrush(unticked_);
      return {};
    case Qt::TextAlignmentRole:
      if (columns_[static_cast<std::size_t>(index.column())].right) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      }
      return {};
    default:
      return {};
  }
}

bool CheckListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!boxes_ || role != Qt::CheckStateRole || index.column() != 0 || !index.isValid()) {
    return false;
  }
  SetTick(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
  return true;
}

Qt::ItemFlags CheckListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = QAbstractTableModel::flags(index);
  if (boxes_ && index.column() == 0) flags |= Qt::ItemIsUserCheckable;
  return flags;
}

QVariant CheckListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= columnCount()) {
    return {};
  }
  const std::string_view title = columns_[static_cast<std::size_t>(section)].title;
  return QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()));
}

QTableView* MakeCheckList(const ControlRow& row, QWidget* parent) {
  auto* view = new QTableView(parent);
  const bool boxes = !(row.look.flags & kNoBoxes);
  auto* model = new CheckListModel(row.columns, ColourOf(row.look.background),
                                   ColourOf(row.look.textColour), boxes, view);
  view->setModel(model);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  if (!boxes) view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setWordWrap(false);
  view->verticalHeader()->hide();
  view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
  QHeaderView* header = view->horizontalHeader();
  header->setSectionResizeMode(QHeaderView::Interactive);
  for (std::size_t i = 0; i < row.columns.size(); ++i) {
    const int section = static_cast<int>(i);
    if (row.columns[i].stretch) {
      header->setSectionResizeMode(section, QHeaderView::Stretch);
    } else {
      header->resizeSection(section, row.columns[i].width);
    }
  }
  return view;
}

CheckListModel* CheckListModelOf(QWidget* view) {
  auto* table = qobject_cast<QTableView*>(view);
  return table == nullptr ? nullptr : qobject_cast<CheckListModel*>(table->model());
}

}  // namespace morvane::ui
