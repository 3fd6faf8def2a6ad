// SPDX-License-Identifier: MIT
#include "core/system_folders.h"

#include <cstdlib>
#include <vector>

#ifdef _WIN32
#include <cwctype>
#endif

namespace morvane {
namespace {

using Char = PathChars::value_type;
using View = std::basic_string_view<Char>;

#ifdef _WIN32
bool IsSeparator(Char c) {
  return c == L'\\' || c == L'/';
}
bool SameChar(Char a, Char b) {
  return std::towlower(a) == std::towlower(b);
}
#else
bool IsSeparator(Char c) {
  return c == '/';
}
bool SameChar(Char a, Char b) {
  return a == b;
}
#endif

// The path's components, empty ones left out: "//usr/lib/" gives usr, lib.
std::vector<View> Components(View path) {
  std::vector<View> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

bool SameComponent(View a, View b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!SameChar(a[i], b[i])) return false;
  }
  return true;
}

std::vector<PathChars> SystemFolders() {
#ifdef _WIN32
  std::vector<PathChars> folders;
  for (const wchar_t* name :
       {L"SystemRoot", L"windir", L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432"}) {
    if (const wchar_t* value = _wgetenv(name); value != nullptr && *value != L'\0') {
      folders.emplace_back(value);
    }
  }
  return folders;
#else
  return {"/usr",    "/bin", "/sbin", "/lib",  "/lib32", "/lib64",
          "/libx32", "/etc", "/boot", "/proc", "/sys",   "/dev"};
#endif
}

bool IsSystemPath(View path) {
  if (path.empty()) return false;
#ifndef _WIN32
  // The root itself: outputs would land among the system's own top folders.
  if (Components(path).empty() && IsSeparator(path.front())) return true;
#endif
  for (const PathChars& folder : SystemFolders()) {
    if (IsInsideFolder(path, folder)) return true;
  }
  return false;
}

// The path with its symbolic links, "." and ".." resolved; empty when that fails.
PathChars Resolved(const Path& path) {
#ifdef _WIN32
  wchar_t buffer[_MAX_PATH];
  return _wfullpath(buffer, path.c_str(), _MAX_PATH) != nullptr ? PathChars(buffer) : PathChars();
#else
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return {};
  PathChars result(resolved);
  std::free(resolved);
  return result;
#endif
}

}  // namespace

bool IsInsideFolder(View path, View folder) {
  const std::vector<View> inner = Components(path);
  const std::vector<View> outer = Components(folder);
  if (outer.empty() || inner.size() < outer.size()) return false;
  // Both absolute or both relative: "usr/x" is not inside "/usr".
  if (IsSeparator(path.front()) != IsSeparator(folder.front())) return false;
  for (std::size_t i = 0; i < outer.size(); ++i) {
    if (!SameComponent(inner[i], outer[i])) return false;
  }
  return true;
}

bool IsSystemFolder(const Path& folder) {
  if (IsSystemPath(folder.native())) return true;
  const PathChars resolved = Resolved(folder);
  return !resolved.empty() && IsSystemPath(resolved);
}

}  // namespace morvane
