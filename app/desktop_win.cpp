// SPDX-License-Identifier: MIT
// Start-up and shutdown of the desktop program on Windows: the same window descriptions
// and event wiring as on Linux, built by the Win32 toolkit.

#include <memory>
#include <utility>
#include <vector>

#include "app/desktop.h"
#include "app/windows.h"
#include "app/wiring.h"
#include "core/fatal.h"
#include "presenters/control_names.h"
#include "presenters/desktop_events.h"
#include "presenters/state.h"
#include "ui/win32/win32_toolkit.h"

namespace morvane::app {
int RunDesktop(std::vector<Path> files) {
  SetFatalPresenter([](const ByteText& boxText) {
    ui::ShowStopBox(boxText, ByteText("\xB4\xED\xCE\xF3"));  // "错误"
  });
  // The state lives from before the main window is built until after it is gone.
  auto state = std::make_unique<AppState>();
  int exitCode = 0;
  {
    ui::Win32Toolkit toolkit;
    for (ui::WindowDescription& window : WindowDescriptions()) toolkit.Describe(std::move(window));
    BindEvents(toolkit, *state);
    HWND mainWindow = toolkit.CreateTopWindow(names::kMainWindow);
    if (!mainWindow) return 1;
    ui::Win32Toolkit::ShowCentred(mainWindow);
    ui::SortNaturally(files);
    OpenGivenFiles(toolkit, *state, files);
    exitCode = toolkit.Run();
  }
  state.reset();
  return exitCode;
}

}  // namespace morvane::app
