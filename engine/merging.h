#pragma once
// Merging two to five files, in row order, into prefix已合并.txt.

#include "core/toolkit.h"
#include "engine/state.h"

namespace morvane {

void OpenMergeFile(Toolkit& ui, AppState& state, int row);
void SelectMergeCount(Toolkit& ui, AppState& state);
void MergeFiles(Toolkit& ui, AppState& state);

}  // namespace morvane
