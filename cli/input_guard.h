#pragma once
// Inputs are mapped, not copied, so that a gigabyte costs no second gigabyte of memory.
// A mapped file that another program cuts short while it is read raises SIGBUS where the
// missing pages are touched. The guard turns that into a message naming the input files and
// exit code 1 instead of a crash. Files already written stay whole: each one is renamed
// into place only when complete, and a write whose source pages vanished fails cleanly.

#include <string>
#include <vector>

namespace morvane::cli {

// Names the files that the next bus error stands for, and installs the handler once.
void GuardMappedInputs(const std::vector<std::string>& nativePaths);

}  // namespace morvane::cli
