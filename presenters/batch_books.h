// SPDX-License-Identifier: MIT
#pragma once
// The 批量 window, opened from the cut page: many files made books at once. A folder
// (dropped on its box, or the folder of a text chosen in its dialog: every .txt in it, in
// natural order) or files dropped on the list are listed with their encoding, the chapters
// of the automatic rule and what their map leaves in doubt (engine/map_doubts.h), each
// ticked. 转换 writes the book of every ticked file into the save location, the one
// engine/default_book.h makes (morvane-cli epub's without options), named after the file;
// as long work whose 取消 stops before the next file. Each row then shows its result, and
// the closing message names the files that need a look: a doubtful map, a failure.

#include "core/toolkit.h"
#include "presenters/state.h"

namespace morvane {

// Binds the button that opens the window and the window's own events.
void BindBatchWindow(Toolkit& ui, AppState& state);

}  // namespace morvane
