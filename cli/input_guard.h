// SPDX-License-Identifier: MIT
#pragma once
// Inputs are mapped, not copied, so that a gigabyte costs no second gigabyte of memory.
// A mapped file that another program cuts short while it is read raises SIGBUS where the
// missing pages are touched. The guard turns that into a message naming the input file and
// exit code 1 instead of a crash. Files already written stay whole: each one is renamed
// into place only when complete, and a write whose source pages vanished fails cleanly.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::cli {

// Names the files that the next bus error stands for, and installs the handler once.
void GuardMappedInputs(const std::vector<std::string>& nativePaths);
// Where the text of the file at index of those lies, once read: a bus error there names
// that file alone (before, or elsewhere, the message names them all).
void GuardMappedInput(std::size_t index, std::string_view bytes);
// For a batch that reads its files side by side: names them all, once, before any is read;
// the calls above change nothing after it (they would race), so a bus error names them all.
void GuardBatchInputs(const std::vector<std::string>& nativePaths);

}  // namespace morvane::cli
