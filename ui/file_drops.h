// SPDX-License-Identifier: MIT
#pragma once
// Files dropped from a file manager onto an area of a window.
//
// AcceptFileDrops makes an area (a page, a box) and every widget on it take drops of
// local files, or of one local folder; drags of anything else (text between boxes, say)
// reach the widgets as before. The routine runs after the drop has ended, from the event
// loop, with the paths in the order they were dropped, as the file system's bytes: a
// name that is not valid UTF-8 (raw GBK from an archive) arrives as itself.

#include <functional>
#include <optional>
#include <vector>

#include "core/path.h"
#include "ui/control_row.h"

class QUrl;
class QWidget;

namespace morvane::ui {

void AcceptFileDrops(QWidget* area, DropKind kind, std::function<void(std::vector<Path>)> onDrop);

// The file system's bytes of a file: URL, or nothing for a URL that names no local file.
// A URL holds a name's bytes percent-encoded; QUrl::toLocalFile decodes them as UTF-8 and
// turns what is not UTF-8 into U+FFFD, which names no file.
std::optional<Path> LocalPathOf(const QUrl& url);

// Sorts paths by their file names (as shown) in natural order, as a reader counts:
// "2.txt" before "10.txt", 第2章 before 第10章; names that differ only in case keep a fixed
// order.
void SortNaturally(std::vector<Path>& paths);

}  // namespace morvane::ui
