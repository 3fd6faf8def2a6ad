// Start-up and shutdown of the desktop program on Windows: the same window descriptions
// and event wiring as on Linux, built by the Win32 toolkit.

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/desktop.h"
#include "app/main_window.h"
#include "app/save_location_window.h"
#include "app/wiring.h"
#include "core/fatal.h"
#include "engine/control_names.h"
#include "engine/merging.h"
#include "engine/size_cutting.h"
#include "engine/state.h"
#include "ui/win32/win32_toolkit.h"

namespace morvane::app {
namespace {

// A file dropped on a page opens as if chosen in that page's dialog.
void OpenOnPage(ui::Win32Toolkit& t, AppState& s, std::string_view dialog,
                void (*open)(Toolkit&, AppState&), std::vector<Path> paths) {
  ui::SortNaturally(paths);
  t.ChooseWithoutDialog(dialog, paths.front());
  open(t, s);
}

// Up to five files fill the merge rows in natural order, and the count follows.
void FillMergeRows(ui::Win32Toolkit& t, AppState& s, std::vector<Path> paths) {
  ui::SortNaturally(paths);
  const int count = static_cast<int>(std::min<std::size_t>(paths.size(), 5));
  if (count >= 2) {
    t.SetText(names::kMergeCountList, ByteText(std::to_string(count)));
    SelectMergeCount(t, s);
  }
  for (int row = 1; row <= count; ++row) {
    t.ChooseWithoutDialog(names::kMergeDialog, paths[static_cast<std::size_t>(row - 1)]);
    OpenMergeFile(t, s, row);
  }
}

// Files dropped on a page open there; a folder dropped on the save-location box becomes
// the save location.
void BindDrops(ui::Win32Toolkit& toolkit, AppState& state) {
  ui::Win32Toolkit* t = &toolkit;
  AppState* s = &state;
  const auto openOnDrop = [t, s](std::string_view page, std::string_view dialog,
                                 void (*open)(Toolkit&, AppState&)) {
    t->AcceptDrops(page, ui::DropKind::kFiles, [t, s, dialog, open](std::vector<Path> paths) {
      OpenOnPage(*t, *s, dialog, open, std::move(paths));
    });
  };
  openOnDrop(kCutPage, names::kNormalDialog, OpenForNormalCut);
  openOnDrop(kSimpleCutPage, names::kSimpleDialog, OpenForSimpleCut);
  t->AcceptDrops(kMergePage, ui::DropKind::kFiles,
                 [t, s](std::vector<Path> paths) { FillMergeRows(*t, *s, std::move(paths)); });
  t->AcceptDrops(names::kSaveLocationBox, ui::DropKind::kFolder,
                 [t, s](const std::vector<Path>& paths) {
                   s->cut.saveFolder = paths.front();
                   t->SetPath(names::kSaveLocationBox, s->cut.saveFolder);
                 });
}

// The files named on the command line: one opens on the cut page, two to five fill the
// merge rows.
void OpenGivenFiles(ui::Win32Toolkit& t, AppState& s, std::vector<Path> files) {
  if (files.size() == 1) {
    t.ShowPage(kCutPage);
    OpenOnPage(t, s, names::kNormalDialog, OpenForNormalCut, std::move(files));
  } else if (files.size() > 1) {
    t.ShowPage(kMergePage);
    FillMergeRows(t, s, std::move(files));
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
    toolkit.Describe(MainWindowDescription());
    toolkit.Describe(SaveLocationWindowDescription());
    BindEvents(toolkit, *state);
    HWND mainWindow = toolkit.CreateTopWindow(names::kMainWindow);
    if (!mainWindow) return 1;
    BindDrops(toolkit, *state);
    ui::Win32Toolkit::ShowCentred(mainWindow);
    OpenGivenFiles(toolkit, *state, std::move(files));
    exitCode = toolkit.Run();
  }
  state.reset();
  return exitCode;
}

}  // namespace morvane::app
