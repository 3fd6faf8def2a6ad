// SPDX-License-Identifier: MIT
#pragma once
// The 批量 window: the files of a folder, or files dropped on its list, each with its
// encoding, chapters and doubts, to be made books at once (presenters/batch_books.h).
//
// Its description, one row per control (the names of its controls are the presenters').

#include <span>

#include "ui/control_row.h"

namespace morvane::app {

ui::WindowDescription BatchWindowDescription();
std::span<const ui::ControlRow> BatchWindowControls();

}  // namespace morvane::app
