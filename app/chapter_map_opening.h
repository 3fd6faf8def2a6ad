#pragma once
// The handler of the chapter-map button, apart from the window it opens, so that the
// wiring needs no window toolkit (chapter_map_window.cpp on Qt, chapter_map_win.cpp on
// Windows).

#include "core/toolkit.h"
#include "presenters/state.h"

namespace morvane::app {

// The window over the main window, modal; without a search since the file was opened (or
// since the last cut) it asks for one.
void OpenChapterMap(Toolkit& ui, AppState& state);

}  // namespace morvane::app
