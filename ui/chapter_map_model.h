#pragma once
// The table behind the chapter-map window: one row per heading, with a check box that
// says whether the text is cut there. A model for a view, so that a map of a hundred
// thousand headings costs only the rows in sight.

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

class ChapterMapModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kCut, kNumber, kTitle, kSize, kFlags, kColumns };

  explicit ChapterMapModel(QObject* parent = nullptr);

  // Replaces every row; each is ticked unless cut says otherwise (cut may be shorter).
  void SetRows(std::vector<ChapterMapRow> rows, const std::vector<bool>& cut = {});
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
  std::vector<ChapterMapRow> rows_;
  std::vector<bool> cut_;
};

}  // namespace morvane::ui
