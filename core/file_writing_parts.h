// SPDX-License-Identifier: MIT
// What writing does the same way on every platform: the list of files the running
// operation reads, which no write may replace, and the seam through which tests inject
// failures. The platform files (file_writing.cpp, files_win.cpp) do the system calls
// around these.
#pragma once

#include <cstddef>

#include "core/files.h"

namespace morvane::file_writing {

// Whether the file of this identity is one that KeepUnchanged named.
bool IsKept(const FileIdentity& id);

// The faults a test set through SetWriteFaults, asked for before each system call they
// stand for. Production code sets none, and then each answers that nothing happens.
// The errno the write call about to write bytes fails with instead, or 0.
int InjectedWriteError(std::size_t bytes);
// How many of bytes the write call about to be made may write (1 to bytes).
std::size_t WriteLimit(std::size_t bytes);
// Whether a test watches the write calls (they then go through the plain write path).
bool WritesWatched();
// Runs what a test wants to happen when a complete file is about to get its name.
void BeforeNaming();

}  // namespace morvane::file_writing
