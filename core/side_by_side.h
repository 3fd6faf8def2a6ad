// SPDX-License-Identifier: MIT
#pragma once
// Work cut into parts that run side by side on the machine's cores: the scans of a large
// text, its chapter search.

#include <cstddef>
#include <functional>

namespace morvane {

// Runs run(0) .. run(parts - 1): part 0 on the calling thread, every other part on a thread
// of its own, or on the calling thread after part 0 when the system has no thread to give.
// Returns once every part has ended. When parts threw, the exception of the lowest part is
// thrown again here, on the calling thread, so that the caller meets it as one of its own
// (exhausted memory in a part ends in the out-of-memory message, as anywhere else) instead
// of the program ending without a word.
void RunSideBySide(std::size_t parts, const std::function<void(std::size_t part)>& run);

}  // namespace morvane
