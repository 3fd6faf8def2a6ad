// SPDX-License-Identifier: MIT
#pragma once
// The handlers of the windows' own events: the main window's start, the buttons that only
// change the view, files and folders dropped, the save-location window.

#include <string_view>
#include <vector>

#include "core/toolkit.h"
#include "presenters/state.h"

namespace morvane {

// The main window's creation routine: control style 1, the simple-cut counts for the
// help text, no chapter search yet, the banner.
void OnMainWindowCreated(Toolkit& ui, AppState& state);
void OnSaveLocationClicked(Toolkit& ui);
void ClearSimpleText(Toolkit& ui);
// The cut page's buttons of the normal cut, or those of the chapter cut.
void ShowCutButtons(Toolkit& ui, bool chapters);
void ShowNormalCutButtons(Toolkit& ui);
void ShowChapterCutButtons(Toolkit& ui);

// Files dropped from the file manager (or named on the command line), in natural order:
// on the cut or simple-cut page the first opens as if chosen in the page's dialog; up to
// five fill the merge rows, and the count follows. A folder dropped on the save-location
// box becomes the save location.
void OpenOnPage(Toolkit& ui, AppState& state, FileDialog dialog, void (*open)(Toolkit&, AppState&),
                const std::vector<Path>& paths);
void FillMergeRows(Toolkit& ui, AppState& state, const std::vector<Path>& paths);
void SaveIntoDroppedFolder(Toolkit& ui, AppState& state);
// The files named on the command line, in natural order: one opens on the cut page, two
// to five fill the merge rows, each page shown first.
void OpenGivenFiles(Toolkit& ui, AppState& state, const std::vector<Path>& files);

// Save-location window: the folders of the drive the drive list shows, when the window opens and
// when the drive changes.
void ShowDriveFolders(Toolkit& ui);
void OnFolderOpened(Toolkit& ui, AppState& state);

}  // namespace morvane
