#include "ui/chapter_map_model.h"

#include <QBrush>
#include <QColor>

namespace morvane::ui {
namespace {

// Flagged rows stand out in a soft orange that keeps black text readable.
const QColor kFlaggedBackground(0xFF, 0xE4, 0xC4);
const QColor kUncutText(0x80, 0x80, 0x80);

}  // namespace

ChapterMapModel::ChapterMapModel(QObject* parent) : QAbstractTableModel(parent) {}

void ChapterMapModel::SetRows(std::size_t count, ChapterMapRows rows,
                              const std::vector<bool>& cut) {
  beginResetModel();
  rows_ = std::move(rows);
  last_.reset();
  cut_.assign(count, true);
  for (std::size_t i = 0; i < cut.size() && i < cut_.size(); ++i) cut_[i] = cut[i];
  endResetModel();
}

const ChapterMapRow& ChapterMapModel::Row(std::size_t row) const {
  if (!last_ || last_->first != row) last_.emplace(row, rows_(row));
  return last_->second;
}

void ChapterMapModel::SetCut(int row, bool cut) {
  if (row < 0 || row >= rowCount() || cut_[static_cast<std::size_t>(row)] == cut) return;
  cut_[static_cast<std::size_t>(row)] = cut;
  emit dataChanged(index(row, 0), index(row, kColumns - 1));
  emit cutChanged();
}

int ChapterMapModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(cut_.size());
}

int ChapterMapModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant ChapterMapModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const auto row = static_cast<std::size_t>(index.row());
  switch (role) {
    case Qt::DisplayRole: {
      if (index.column() == kCut) return index.row() + 1;
      const ChapterMapRow& entry = Row(row);
      switch (index.column()) {
        case kNumber:
          return entry.number;
        case kTitle:
          return entry.title;
        case kSize:
          // One unit down the whole column (app/chapter_map_text.h, SizeWords).
          return QStringLiteral("%1 K").arg(static_cast<double>(entry.bytes) / 1024.0, 0, 'f', 1);
        case kFlags:
          return entry.flags;
        default:
          return {};
      }
    }
    case Qt::CheckStateRole:
      if (index.column() == kCut) return cut_[row] ? Qt::Checked : Qt::Unchecked;
      return {};
    case Qt::BackgroundRole:
      if (!Row(row).flags.isEmpty()) return QBrush(kFlaggedBackground);
      return {};
    case Qt::ForegroundRole:
      if (!cut_[row]) return QBrush(kUncutText);
      return {};
    case Qt::TextAlignmentRole:
      if (index.column() == kNumber || index.column() == kSize) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      }
      return {};
    case Qt::ToolTipRole:
      if (index.column() == kSize) return QString::number(Row(row).bytes);
      if (index.column() == kTitle) return Row(row).title;
      return {};
    default:
      return {};
  }
}

bool ChapterMapModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || index.column() != kCut || !index.isValid()) return false;
  SetCut(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
  return true;
}

Qt::ItemFlags ChapterMapModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = QAbstractTableModel::flags(index);
  if (index.column() == kCut) flags |= Qt::ItemIsUserCheckable;
  return flags;
}

QVariant ChapterMapModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case kCut:
      return QStringLiteral("切分");
    case kNumber:
      return QStringLiteral("章号");
    case kTitle:
      return QStringLiteral("标题");
    case kSize:
      return QStringLiteral("大小");
    case kFlags:
      return QStringLiteral("提示");
    default:
      return {};
  }
}

}  // namespace morvane::ui
