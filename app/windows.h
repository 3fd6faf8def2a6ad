// SPDX-License-Identifier: MIT
#pragma once
// Every window of the desktop program, as the toolkits build them: the Qt one, the Win32
// one and the tests' in-memory one.

#include <vector>

#include "ui/control_row.h"

namespace morvane::app {

// The main window first.
std::vector<ui::WindowDescription> WindowDescriptions();

}  // namespace morvane::app
