// SPDX-License-Identifier: MIT
#include "zip_entries.h"

#include <minizip/unzip.h>

namespace morvane::testing {

std::vector<ZipEntry> ZipEntries(const std::string& path) {
  std::vector<ZipEntry> entries;
  unzFile zip = unzOpen64(path.c_str());
  if (zip == nullptr) return entries;
  for (int at = unzGoToFirstFile(zip); at == UNZ_OK; at = unzGoToNextFile(zip)) {
    char name[256];
    unz_file_info64 info;
    unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0);
    ZipEntry entry{name, std::string(info.uncompressed_size, '\0')};
    unzOpenCurrentFile(zip);
    unzReadCurrentFile(zip, entry.bytes.data(), static_cast<unsigned>(entry.bytes.size()));
    // Closing an entry read to its end is where minizip compares the checksum.
    entry.crcMatches = unzCloseCurrentFile(zip) == UNZ_OK;
    entries.push_back(std::move(entry));
  }
  unzClose(zip);
  return entries;
}

const std::string* FindEntry(const std::vector<ZipEntry>& entries, const std::string& name) {
  for (const ZipEntry& entry : entries) {
    if (entry.name == name) return &entry.bytes;
  }
  return nullptr;
}

}  // namespace morvane::testing
