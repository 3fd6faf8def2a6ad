// SPDX-License-Identifier: MIT
#pragma once
// The files behind mapped inputs (POSIX only): a write can have the kernel copy a mapped
// text's bytes from its file, where the file system shares or copies blocks itself, instead
// of copying them out of the mapping.

#include <cstddef>
#include <cstdint>

namespace morvane {

// Notes that size bytes at address map the file open as fd from its start. fd stays open
// until ForgetMapping(address), which closes it.
void RememberMapping(const void* address, std::size_t size, int fd);
void ForgetMapping(const void* address);

// The file and the offset in it behind bytes [data, data + size) when they lie in one
// mapping noted above; fd -1 otherwise.
struct MappedSource {
  int fd = -1;
  std::int64_t offset = 0;
};
MappedSource MappedSourceOf(const void* data, std::size_t size);

}  // namespace morvane
