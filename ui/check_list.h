// SPDX-License-Identifier: MIT
#pragma once
// The check list on Qt: a table whose rows the program holds (TableRows), with a check box
// in the first column. A model for a view, so that a list of a hundred thousand rows costs
// only the rows in sight.

#include <memory>
#include <span>
#include <vector>

#include <QAbstractTableModel>
#include <QColor>
#include <QTableView>

#include "core/toolkit.h"
#include "ui/control_row.h"

namespace morvane::ui {

class CheckListModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  // Marked rows are shaded in marked, unticked rows' text is drawn in unticked (either
  // invalid: the style's own); without boxes, rows have no check box.
  CheckListModel(std::span<const Column> columns, QColor marked, QColor unticked, bool boxes,
                 QObject* parent = nullptr);

  // Replaces every row; each is ticked unless ticks says otherwise (ticks may be shorter).
  void SetRows(std::shared_ptr<const TableRows> rows, const std::vector<bool>& ticks);
  const std::vector<bool>& Ticks() const { return ticks_; }
  void SetTick(int row, bool ticked);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 signals:
  // The user ticked or unticked a row.
  void ticked();

 private:
  std::span<const Column> columns_;
  QColor marked_;
  QColor unticked_;
  bool boxes_;
  std::shared_ptr<const TableRows> rows_;
  std::vector<bool> ticks_;
};

// The view of a check list row: its columns as the row gives them, every row as high as
// the others (the view never measures a hundred thousand rows).
QTableView* MakeCheckList(const ControlRow& row, QWidget* parent);
CheckListModel* CheckListModelOf(QWidget* view);

}  // namespace morvane::ui
