// SPDX-License-Identifier: MIT
#pragma once
// The handlers of the cleaning window (app/clean_window.h), opened by 清理… on the simple-cut
// page (the text of the box) and on the cut page (the text of the file opened there).

#include "core/toolkit.h"
#include "presenters/state.h"

namespace morvane {

// The settings key of the user's junk rules (UTF-8, one rule a line).
inline constexpr std::string_view kJunkRulesSetting = "cleaning/junk-rules";

// Binds the window's events and the 清理… buttons of both pages. state must outlive the
// toolkit's windows.
void BindCleanWindow(Toolkit& ui, AppState& state);

}  // namespace morvane
