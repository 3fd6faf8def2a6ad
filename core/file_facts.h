#pragma once
// What the checks before a write ask the file system: which file a name stands for,
// whether a folder can take new files, and how long names may be. Each platform
// answers in its own file (file_facts_posix.cpp, file_facts_win.cpp).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace morvane {

// A file as the file system knows it, whatever name reaches it: device and inode on
// POSIX, volume serial number and file index on Windows.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t file = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// Nothing when no file or folder stands at the path.
std::optional<FileIdentity> IdentityOf(const std::string& nativePath);
// Whether the path is a folder in which new files may be created.
bool IsWritableFolder(const std::string& nativeFolder);
// The longest file name the folder's file system takes, in the units of native names
// (bytes on POSIX, UTF-16 units on Windows).
std::size_t NameLimit(const std::string& nativeFolder);
// Paths as long as this or longer are refused by the system calls.
std::size_t PathLimit();

}  // namespace morvane
