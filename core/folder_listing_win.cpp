// SPDX-License-Identifier: MIT
#include <windows.h>

#include <string_view>

#include "core/folder_listing.h"

namespace morvane {

std::vector<FolderEntry> ListFolder(const Path& folder, bool foldersOnly) {
  // FindFirstFileExW over folder\*: the entry's attributes come with its name, so no
  // further call per entry; a reparse point (a junction, a link) is taken as what it
  // points at, which for the folder tree is a folder.
  std::vector<FolderEntry> entries;
  std::wstring pattern = SystemPath(folder);
  if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW data;
  HANDLE find =
      FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                       foldersOnly ? FindExSearchLimitToDirectories : FindExSearchNameMatch,
                       nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) return entries;
  do {
    const std::wstring_view name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool isFile = !isFolder && (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) == 0;
    if (isFolder || (isFile && !foldersOnly))
      entries.push_back({Path(std::wstring(name)), isFolder});
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return entries;
}

EntryKind KindOf(const Path& path) {
  if (path.empty()) return EntryKind::kMissing;
  const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return EntryKind::kMissing;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryKind::kFolder;
  return (attributes & FILE_ATTRIBUTE_DEVICE) ? EntryKind::kOther : EntryKind::kFile;
}

}  // namespace morvane
