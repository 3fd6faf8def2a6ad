// SPDX-License-Identifier: MIT
#pragma once
// The steps every writing handler shares: where the files go (the save-location and prefix
// boxes), the checks before the first file is written, and the message after the last.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/byte_text.h"
#include "core/path.h"
#include "core/toolkit.h"
#include "engine/output_checks.h"
#include "engine/output_naming.h"
#include "engine/output_writing.h"
#include "presenters/state.h"

namespace morvane {

// The save-location box and the prefix box of the main window as paths: the bytes of the
// folder or file they were filled from, or what was typed into them encoded for the file
// system. Nothing when a typed name holds a character the file system cannot hold: the
// user has then been told which one.
std::optional<OutputTarget> OutputTargetOf(Toolkit& ui);
// The path one box holds in the same way, and what of a typed name cannot be held.
TypedName PathOfBox(const Toolkit& ui, PathControl box);

// False when no save folder has been chosen, after asking for one and running the
// save-location window; the operation then ends, even if a folder was chosen meanwhile.
bool RequireSaveFolder(Toolkit& ui, AppState& state);

// Whether an operation may write into folder: always, unless folder is a system folder
// (core/system_folders.h) that the user has not agreed to during this run. Then the user
// is asked before the first file is written, and a yes is remembered for that folder.
bool ConfirmOutputFolder(Toolkit& ui, AppState& state, const Path& folder);

// RefuseOutputs (engine/output_checks.h) of the operation's declared files, as long work (a
// hundred thousand names take a while to look up). A stop request ends the operation before
// anything is written, with the cancel message.
std::optional<std::string> RefuseOutputs(Toolkit& ui, const OutputPlan& plan,
                                         const RunFiles& files);

// The message that ends a writing operation: done with its caption when every file was
// written, otherwise how many files failed and the first of them, or that it was
// cancelled.
void ShowOutcome(Toolkit& ui, const WriteReport& report, const std::string& done,
                 const std::string& caption);

}  // namespace morvane
