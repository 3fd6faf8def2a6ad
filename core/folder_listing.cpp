// SPDX-License-Identifier: MIT
#include "core/folder_listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>
#include <string_view>

namespace morvane {

std::vector<FolderEntry> ListFolder(const Path& folder, bool foldersOnly) {
  // readdir and the entry's type: no stat for the usual entry, one for a symbolic link
  // or a file system that leaves the type open.
  std::vector<FolderEntry> entries;
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
  if (!dir) return entries;
  const int fd = dirfd(dir.get());
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    bool isFolder = entry->d_type == DT_DIR;
    bool isFile = entry->d_type == DT_REG;
    if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
      struct stat info {};
      if (fstatat(fd, entry->d_name, &info, 0) == 0) {
        isFolder = S_ISDIR(info.st_mode);
        isFile = S_ISREG(info.st_mode);
      }
    }
    if (isFolder || (isFile && !foldersOnly))
      entries.push_back({Path(std::string(name)), isFolder});
  }
  return entries;
}

EntryKind KindOf(const Path& path) {
  struct stat info {};
  if (path.empty() || stat(path.c_str(), &info) != 0) return EntryKind::kMissing;
  if (S_ISDIR(info.st_mode)) return EntryKind::kFolder;
  return S_ISREG(info.st_mode) ? EntryKind::kFile : EntryKind::kOther;
}

}  // namespace morvane
