#pragma once
// The event bindings of both windows, and the handlers that only change the view.

#include "core/toolkit.h"
#include "presenters/state.h"

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

// Save-location window.
void OnSaveLocationCreated(Toolkit& ui);
void OnDriveChanged(Toolkit& ui);
void OnFolderOpened(Toolkit& ui, AppState& state);

}  // namespace morvane::app
