// SPDX-License-Identifier: MIT
#pragma once
// Whether a toolkit built a window as its description says, read through the toolkit
// interface alone, so that the same check holds the Qt, the Win32 and the in-memory
// toolkit to the rows: each control's text, list items, visibility, tick and whether it
// takes input, as built (before any creation routine has changed them).

#include <string>
#include <vector>

#include "core/toolkit.h"
#include "ui/control_row.h"

namespace morvane::testing {

// One line per difference ("标签7: text 「1024字节」, described 「0字节」"), UTF-8; none
// when the window is as described.
std::vector<std::string> DifferencesFromDescription(const Toolkit& ui,
                                                    const ui::WindowDescription& window);

}  // namespace morvane::testing
