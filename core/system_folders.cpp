#include "core/system_folders.h"

#include <cstdlib>
#include <vector>

#ifdef _WIN32
#include <cctype>
#endif

namespace morvane {
namespace {

#ifdef _WIN32
constexpr char kSeparators[] = "\\/";
bool SameByte(char a, char b) {
  const auto fold = [](char c) {
    if (c == '/') return '\\';
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  };
  return fold(a) == fold(b);
}
#else
constexpr char kSeparators[] = "/";
bool SameByte(char a, char b) {
  return a == b;
}
#endif

bool IsSeparator(char c) {
  return std::string_view(kSeparators).find(c) != std::string_view::npos;
}

// The path's components, empty ones left out: "//usr/lib/" gives usr, lib.
std::vector<std::string_view> Components(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

bool SameComponent(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!SameByte(a[i], b[i])) return false;
  }
  return true;
}

std::vector<std::string> SystemFolders() {
#ifdef _WIN32
  std::vector<std::string> folders;
  for (const char* name :
       {"SystemRoot", "windir", "ProgramFiles", "ProgramFiles(x86)", "ProgramW6432"}) {
    if (const char* value = std::getenv(name); value != nullptr && *value != '\0') {
      folders.emplace_back(value);
    }
  }
  return folders;
#else
  return {"/usr",    "/bin", "/sbin", "/lib",  "/lib32", "/lib64",
          "/libx32", "/etc", "/boot", "/proc", "/sys",   "/dev"};
#endif
}

bool IsSystemPath(std::string_view path) {
  if (path.empty()) return false;
#ifndef _WIN32
  // The root itself: outputs would land among the system's own top folders.
  if (Components(path).empty() && IsSeparator(path.front())) return true;
#endif
  for (const std::string& folder : SystemFolders()) {
    if (IsInsideFolder(path, folder)) return true;
  }
  return false;
}

// The path with its symbolic links, "." and ".." resolved; empty when that fails.
std::string Resolved(const std::string& path) {
#ifdef _WIN32
  char buffer[_MAX_PATH];
  return _fullpath(buffer, path.c_str(), sizeof buffer) != nullptr ? std::string(buffer)
                                                                   : std::string();
#else
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return {};
  std::string result(resolved);
  std::free(resolved);
  return result;
#endif
}

}  // namespace

bool IsInsideFolder(std::string_view path, std::string_view folder) {
  const std::vector<std::string_view> inner = Components(path);
  const std::vector<std::string_view> outer = Components(folder);
  if (outer.empty() || inner.size() < outer.size()) return false;
  // Both absolute or both relative: "usr/x" is not inside "/usr".
  if (path.empty() || folder.empty() || IsSeparator(path.front()) != IsSeparator(folder.front())) {
    return false;
  }
  for (std::size_t i = 0; i < outer.size(); ++i) {
    if (!SameComponent(inner[i], outer[i])) return false;
  }
  return true;
}

bool IsSystemFolder(const std::string& nativePath) {
  if (IsSystemPath(nativePath)) return true;
  const std::string resolved = Resolved(nativePath);
  return !resolved.empty() && IsSystemPath(resolved);
}

}  // namespace morvane
