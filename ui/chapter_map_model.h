#pragma once
// The table behind the chapter-map window: one row per heading, with a check box that
// says whether the text is cut there. A model for a view that makes a row's texts only
// when the view asks for them, so that a map of millions of headings costs only the rows
// in sight.

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include <QAbstractTableModel>
#include <QString>

namespace morvane::ui {

struct ChapterMapRow {
  QString number;  // the chapter number read from the heading, or empty
  QString title;
  qint64 bytes = 0;
  QString flags;  // what looks wrong, in words; empty for nothing
};

// Makes the texts of one row (0-based).
using ChapterMapRows = std::function<ChapterMapRow(std::size_t row)>;

class ChapterMapModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kCut, kNumber, kTitle, kSize, kFlags, kColumns };

  explicit ChapterMapModel(QObject* parent = nullptr);

  // Replaces every row by count rows that rows makes; each is ticked unless cut says
  // otherwise (cut may be shorter).
  void SetRows(std::size_t count, ChapterMapRows rows, const std::vector<bool>& cut = {});
  const std::vector<bool>& Cut() const { return cut_; }
  void SetCut(int row, bool cut);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 signals:
  // A row was ticked or unticked.
  void cutChanged();

 private:
  const ChapterMapRow& Row(std::size_t row) const;

  ChapterMapRows rows_;
  std::vector<bool> cut_;
  // The view asks for every column and role of a row in turn: the last row made is kept.
  mutable std::optional<std::pair<std::size_t, ChapterMapRow>> last_;
};

}  // namespace morvane::ui
