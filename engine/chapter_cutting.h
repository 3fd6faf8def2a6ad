#pragma once
// Chapter search ("第" followed within 16 bytes by "章") and the chapter cut.

#include "core/toolkit.h"
#include "engine/state.h"

namespace morvane {

void ChapterSearch(Toolkit& ui, AppState& state);
void ChapterCut(Toolkit& ui, AppState& state);

}  // namespace morvane
