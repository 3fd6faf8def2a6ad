// SPDX-License-Identifier: MIT
#pragma once
// The whitespace-cleaning handlers of the simple-cut text.

#include "core/toolkit.h"
#include "presenters/state.h"

namespace morvane {

// Each cleans the text container, writes the result back (which refreshes the size and count
// labels) and confirms; an empty container is refused. A large text is cleaned as long work:
// when the user stops it, the container keeps its text and no message follows.
void RemoveSpaces(Toolkit& ui, AppState& state);
void RemoveLineBreaks(Toolkit& ui, AppState& state);
// Rewrites the container only when one of its first simpleTextBytes bytes is a tab.
void RemoveTabs(Toolkit& ui, AppState& state);

}  // namespace morvane
