// SPDX-License-Identifier: MIT
#pragma once
// The chapter-map window: after a chapter search, the user sees every heading (its
// chapter number, title, size and what looks wrong), switches the rule and sees the map
// change, unticks headings that are no headings, and chooses how many chapters go into
// a file and how the files are named. 确定 keeps that choice for the next chapter cut;
// a user who never opens the window cuts as before.
//
// Its description, one row per control (the names of its controls are the presenters').

#include <span>
#include <string_view>

#include "ui/control_row.h"

namespace morvane::app {

ui::WindowDescription ChapterMapWindowDescription();
std::span<const ui::ControlRow> ChapterMapWindowControls();

}  // namespace morvane::app
