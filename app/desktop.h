// SPDX-License-Identifier: MIT
#pragma once
// Start-up and shutdown of the desktop program.

#include <vector>

#include "core/path.h"

namespace morvane {
struct AppState;
}
namespace morvane::ui {
class QtToolkit;
}

namespace morvane::app {

// Makes every window known to a toolkit.
void DescribeWindows(ui::QtToolkit& toolkit);

// Qt's own texts (file dialogs, the edit boxes' context menus, standard buttons) in
// Chinese, whatever the system's locale: loads Qt's zh_CN translations where installed.
// Returns false when they could not be found.
bool UseChineseEverywhere();

// The files named on the command line: one opens on the cut page, two to five fill the
// merge page (in natural order, as if dropped there).
void OpenGivenFiles(ui::QtToolkit& toolkit, AppState& state, std::vector<Path> files);

// Runs the program on an existing QApplication: state, main window, the files given
// opened, message loop, release. Returns the exit code, 0.
int RunDesktop(std::vector<Path> files = {});

}  // namespace morvane::app
