// SPDX-License-Identifier: MIT
#pragma once
// The handlers of the chapter-map window (app/chapter_map_window.h), through the toolkit
// as every other window's: the same on Qt, on Windows and in tests.

#include "core/toolkit.h"
#include "presenters/state.h"

namespace morvane {

// The window over the main window, modal; without a search since the file was opened (or
// since the last cut) it asks for one.
void OpenChapterMap(Toolkit& ui, AppState& state);

// Binds the window's events. state must outlive the toolkit's windows.
void BindChapterMap(Toolkit& ui, AppState& state);

}  // namespace morvane
