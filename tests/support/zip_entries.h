// SPDX-License-Identifier: MIT
#pragma once
// Reads a ZIP file back the way a reader of books would, for tests of the EPUB writer.

#include <string>
#include <vector>

namespace morvane::testing {

struct ZipEntry {
  std::string name;
  std::string bytes;
  bool crcMatches = false;  // the stored checksum agrees with the bytes read
};

// The entries in the order they are stored; none when the file cannot be opened as a ZIP.
// path is narrow: minizip opens files by narrow names, which Windows reads in its code page.
std::vector<ZipEntry> ZipEntries(const std::string& path);

// The bytes of the entry called name, or nullptr.
const std::string* FindEntry(const std::vector<ZipEntry>& entries, const std::string& name);

}  // namespace morvane::testing
