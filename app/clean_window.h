// SPDX-License-Identifier: MIT
#pragma once
// The cleaning window: what downloads leave in a text (junk lines, repeated titles, blank
// lines, trailing blanks, indentation), found and shown before anything changes, with the
// count of each kind and every line it would change; the user unticks a kind or a line,
// may add junk rules of his own (kept in the settings), and may convert between traditional
// and simplified characters. 确定 puts the cleaned text where it came from.
//
// Its description, one row per control (the names of its controls are the presenters').

#include <span>
#include <string_view>

#include "ui/control_row.h"

namespace morvane::app {

ui::WindowDescription CleanWindowDescription();
std::span<const ui::ControlRow> CleanWindowControls();

}  // namespace morvane::app
