// SPDX-License-Identifier: MIT
#pragma once
// 生成EPUB on the cut page: the book of the chapter map as the user confirmed it (or, when
// the map window was never confirmed, of the headings the last search found), with the
// title, author and cover the EPUB window holds.

#include "core/toolkit.h"
#include "presenters/state.h"

namespace morvane {

// Opens the EPUB window over the main window, after a chapter search.
void OpenEpubWindow(Toolkit& ui, AppState& state);
// The EPUB window's own events.
void BindEpubWindow(Toolkit& ui, AppState& state);

}  // namespace morvane
