// SPDX-License-Identifier: MIT
#pragma once
// The EPUB window, opened from the cut page by 生成EPUB (after a search: the book of the
// chapter map as the user confirmed it or, when the map window was never confirmed, of the
// headings the last search found) or by 转换为EPUB (no search needed: the text with its
// repeated titles taken away and the automatic rule's map, as morvane-cli epub makes a book
// by default; a confirmed map is kept). The window shows the title and author the file's
// name and header give (engine/book_metadata.h), to be corrected, and a cover to choose.

#include "core/toolkit.h"
#include "presenters/state.h"

namespace morvane {

// Binds the buttons that open the EPUB window and the window's own events.
void BindEpubWindow(Toolkit& ui, AppState& state);

}  // namespace morvane
