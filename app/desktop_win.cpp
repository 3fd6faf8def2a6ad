// Start-up and shutdown of the desktop program on Windows: the same window descriptions
// and event wiring as on Linux, built by the Win32 toolkit.

#include <memory>
#include <utility>
#include <vector>

#include "app/desktop.h"
#include "app/main_window.h"
#include "app/windows.h"
#include "app/wiring.h"
#include "core/fatal.h"
#include "engine/size_cutting.h"
#include "presenters/control_names.h"
#include "presenters/desktop_events.h"
#include "presenters/size_cutting.h"
#include "presenters/state.h"
#include "ui/win32/win32_toolkit.h"

namespace morvane::app {
namespace {

// The files named on the command line: one opens on the cut page, two to five fill the
// merge rows (in natural order, as if dropped there).
void OpenGivenFiles(ui::Win32Toolkit& t, AppState& s, std::vector<Path> files) {
  ui::SortNaturally(files);
  if (files.size() == 1) {
    t.ShowPage(kCutPage);
    OpenOnPage(t, s, names::kNormalDialog, OpenForNormalCut, files);
  } else if (files.size() > 1) {
    t.ShowPage(kMergePage);
    FillMergeRows(t, s, files);
  }
}

}  // namespace

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
    OpenGivenFiles(toolkit, *state, std::move(files));
    exitCode = toolkit.Run();
  }
  state.reset();
  return exitCode;
}

}  // namespace morvane::app
