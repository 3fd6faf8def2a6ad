// SPDX-License-Identifier: MIT
#pragma once
// The checks before the first file of an operation is written: RefuseOutputs makes sure
// that all of them can be written and that none of them would replace one of the
// operation's inputs, so that an operation writes all its files or none. The inputs are
// the operation's declaration (RunFiles): every command of the command line and every
// window that writes states there what it reads, and this one check guards all of them.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/byte_text.h"
#include "core/path.h"
#include "engine/output_naming.h"

namespace morvane {

// The files an operation is about to write: numbered first..last, or the merged file.
struct OutputPlan {
  OutputTarget target;
  bool merged = false;
  int first = 1;
  int last = 0;
  // When set, file number k (first..last) is name(k) in the folder instead of a numbered
  // name: names made as they are looked at, so that a plan of a million files holds none.
  std::function<Path(int)> name = {};
};

// Every file one run reads and where it writes, declared before the run reads anything:
// the text or texts, a rules file, a map file, a cover. No output of the run may be one of
// the inputs, whatever path, hard link or symbolic link reaches it, so a run that comes to
// read a new kind of file is guarded by naming it here, not by a check of its own.
struct RunFiles {
  std::vector<Path> inputs;
  // Where the run writes: a folder of numbered or named files, or one file named whole (a
  // cleaned text, a saved map). Both empty for a run that writes only to standard output.
  Path folder;
  Path file;
  friend bool operator==(const RunFiles&, const RunFiles&) = default;
};

// The plan of one output file named whole, file: its folder and its name.
OutputPlan SingleFilePlan(const Path& file);

// The longest file name, in bytes as the system spells it, that folder takes, so that
// folder and name together stay within the longest path the system takes.
std::size_t FileNameLimit(const Path& folder);

// The message that refuses the plan, or nothing when every file of it can be written:
// the folder must be an existing writable directory, the prefix must not lead into
// another folder, every name must be acceptable to the file system, no name may be taken
// by a folder or a read-only file, and no output may be one of the run's declared inputs.
// The one check every command and window goes through.
std::optional<std::string> RefuseOutputs(const OutputPlan& plan, const RunFiles& files);

}  // namespace morvane
