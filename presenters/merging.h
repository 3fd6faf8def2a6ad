// SPDX-License-Identifier: MIT
#pragma once
// The merge handlers; the joining and the writing are engine/merging.h.

#include "core/toolkit.h"
#include "presenters/file_choosing.h"
#include "presenters/state.h"

namespace morvane {

// Shows rows 3..count of the merge page and hides the others (count 2 to 5).
void ShowMergeRows(Toolkit& ui, int count);

// Reads the file chosen for a row (1..5; row 1 also sets the prefix); a file that cannot be
// read is named in a message and changes nothing.
void OpenMergeFile(Toolkit& ui, AppState& state, int row);
// A file's text for a row: its text, path and encoding, and the row's encoding list.
void LoadMergeText(Toolkit& ui, AppState& state, int row, const ChosenFile& file);
void SelectMergeCount(Toolkit& ui, AppState& state);
void MergeFiles(Toolkit& ui, AppState& state);

}  // namespace morvane
