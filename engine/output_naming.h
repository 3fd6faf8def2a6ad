#pragma once
// Output naming and common routines: where every writing operation puts its files and
// what they hold (the output text followed by the banner).

#include "core/byte_text.h"
#include "core/toolkit.h"
#include "engine/state.h"

namespace morvane {

// False (after asking for a folder and opening the save-location window) when no save
// folder has been chosen.
bool RequireSaveFolder(Toolkit& ui, AppState& state);
// folder / prefix "-" number ".txt", read from the controls now.
ByteText PiecePath(const Toolkit& ui, int number);
// folder / prefix "已合并.txt".
ByteText MergedPath(const Toolkit& ui);
// The prefix for an opened file: its name without the last extension.
ByteText BaseNameOf(const ByteText& path);

// TODO(engine): WriteOutputFile and the write report (failures counted and named).

}  // namespace morvane
