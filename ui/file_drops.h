#pragma once
// Files dropped from a file manager onto an area of a window.
//
// AcceptFileDrops makes an area (a page, a box) and every widget on it take drops of
// local files, or of one local folder; drags of anything else (text between boxes, say)
// reach the widgets as before. The routine runs after the drop has ended, from the event
// loop, with the native paths in the order they were dropped.

#include <functional>

#include <QStringList>

#include "ui/control_row.h"

class QWidget;

namespace morvane::ui {

void AcceptFileDrops(QWidget* area, DropKind kind, std::function<void(const QStringList&)> onDrop);

// Sorts paths by their file names in natural order, as a reader counts: "2.txt" before
// "10.txt", 第2章 before 第10章; names that differ only in case keep a fixed order.
void SortNaturally(QStringList& paths);

}  // namespace morvane::ui
