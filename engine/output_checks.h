#pragma once
// The checks before the first file of an operation is written: RefuseOutputs makes sure
// that all of them can be written and that none of them would replace one of the
// operation's inputs, so that an operation writes all its files or none.

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
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

// The longest file name, in bytes as the system spells it, that folder takes, so that
// folder and name together stay within the longest path the system takes.
std::size_t FileNameLimit(const Path& folder);

// The message that refuses the plan, or nothing when every file of it can be written:
// the folder must be an existing writable directory, the prefix must not lead into
// another folder, every name must be acceptable to the file system, no name may be taken
// by a folder or a read-only file, and no output may be one of the inputs.
std::optional<std::string> RefuseOutputs(const OutputPlan& plan, std::span<const Path> inputs);

}  // namespace morvane
