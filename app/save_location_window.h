// SPDX-License-Identifier: MIT
#pragma once
// The save-location window: a drive list and a folder tree, nothing else.

#include <span>

#include "ui/control_row.h"

namespace morvane::app {

ui::WindowDescription SaveLocationWindowDescription();
std::span<const ui::ControlRow> SaveLocationWindowControls();

}  // namespace morvane::app
