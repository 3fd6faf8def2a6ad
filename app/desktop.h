#pragma once
// Start-up and shutdown of the desktop program.

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

// Runs the program on an existing QApplication: state, main window, message loop,
// release. Returns the exit code, 0.
int RunDesktop();

}  // namespace morvane::app
