// SPDX-License-Identifier: MIT
// What writing does the same way on every platform: the list of files the running
// operation reads, which no write may replace, and the seam through which tests inject
// failures. The platform files (file_writing.cpp, files_win.cpp) do the system calls
// around these.
#pragma once

#include <atomic>
#include <cstddef>

#include "core/files.h"

namespace morvane::file_writing {

// Whether the file of this identity is one that KeepUnchanged named.
bool IsKept(const FileIdentity& id);

// The hooks of SetWriteFaults, read before each system call they stand for.
extern std::atomic<int (*)(std::size_t)> beforeWrite;
extern std::atomic<std::size_t (*)(std::size_t)> shortWrite;
extern std::atomic<void (*)()> beforeNaming;

}  // namespace morvane::file_writing
