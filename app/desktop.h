#pragma once
// Start-up and shutdown of the desktop program.

namespace morvane::ui {
class QtToolkit;
}

namespace morvane::app {

// Makes both windows known to a toolkit.
void DescribeWindows(ui::QtToolkit& toolkit);

// Runs the program on an existing QApplication: state, main window, message loop,
// release. Returns the exit code, 0.
int RunDesktop();

}  // namespace morvane::app
