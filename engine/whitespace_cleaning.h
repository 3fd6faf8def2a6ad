#pragma once
// Whitespace cleaning of the simple-cut text: half-width spaces, CR LF pairs, tabs.

#include "core/toolkit.h"
#include "engine/state.h"

namespace morvane {

void RemoveSpaces(Toolkit& ui, AppState& state);
void RemoveLineBreaks(Toolkit& ui, AppState& state);
void RemoveTabs(Toolkit& ui, AppState& state);

}  // namespace morvane
