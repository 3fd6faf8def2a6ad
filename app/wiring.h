// SPDX-License-Identifier: MIT
#pragma once
// The event bindings of the desktop's windows: which presenter handles which event.

#include "core/toolkit.h"
#include "presenters/state.h"

namespace morvane::app {

// Binds every handled event of the main window, the save-location window and the
// chapter-map window. state must outlive the toolkit's windows.
void BindEvents(Toolkit& ui, AppState& state);

}  // namespace morvane::app
