// SPDX-License-Identifier: MIT
#pragma once
// What a folder holds, by the file system's own names: the one place that reads folders,
// for the folder tree and the file dialogs.

#include <vector>

#include "core/path.h"

namespace morvane {

struct FolderEntry {
  Path name;  // the entry's name, exactly as the file system spells it
  bool folder = false;
};

// The folders and regular files in folder, symbolic links followed ("." and ".." and
// anything else left out), in the order the system gives them; nothing when the folder
// cannot be read. With foldersOnly, files are left out without a look at their type.
std::vector<FolderEntry> ListFolder(const Path& folder, bool foldersOnly = false);

enum class EntryKind { kMissing, kFolder, kFile, kOther };
// What stands at path, symbolic links followed.
EntryKind KindOf(const Path& path);

}  // namespace morvane
