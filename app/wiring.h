#pragma once
// The event bindings of both windows, and the handlers that only change the view.

#include <string_view>

#include "core/toolkit.h"
#include "engine/state.h"

namespace morvane::app {

// Binds every handled event of the main window and of the save-location window.
// state must outlive the toolkit's windows.
void BindEvents(Toolkit& ui, AppState& state);

// The main window's creation routine: control style 1, the simple-cut counts for the
// help text, no chapter search yet, the banner.
void OnMainWindowCreated(Toolkit& ui, AppState& state);
void OnSaveLocationClicked(Toolkit& ui);
void ClearSimpleText(Toolkit& ui);
void ShowNormalCutButtons(Toolkit& ui);
void ShowChapterCutButtons(Toolkit& ui);

// Drops from the file manager: files dropped on the cut or simple-cut page open as if
// chosen in its dialog; up to five dropped on the merge page fill its rows in natural
// order, and the count follows; a folder dropped on the save-location box becomes the
// save location.
void OpenDroppedFile(Toolkit& ui, AppState& state, std::string_view page, std::string_view dialog,
                     void (*open)(Toolkit&, AppState&));
void FillMergeRows(Toolkit& ui, AppState& state);
void SaveIntoDroppedFolder(Toolkit& ui, AppState& state);

// Save-location window.
void OnSaveLocationCreated(Toolkit& ui);
void OnDriveChanged(Toolkit& ui);
void OnFolderOpened(Toolkit& ui, AppState& state);

}  // namespace morvane::app
