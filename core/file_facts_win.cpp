#include <windows.h>

#include <string>

#include "core/file_facts.h"

namespace morvane {
namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                    nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& nativePath) {
  if (nativePath.empty()) return std::nullopt;
  // Only the attributes are read: any file can be asked, also one open elsewhere.
  HANDLE file = CreateFileW(Wide(nativePath).c_str(), FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  const bool ok = GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  if (!ok) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

bool IsWritableFolder(const std::string& nativeFolder) {
  if (nativeFolder.empty()) return false;
  std::wstring folder = Wide(nativeFolder);
  // "C:" alone is the drive's current folder to the system; the program means its root.
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  // The read-only attribute of a folder does not keep files out of it; what the volume
  // and the rights allow shows at the write.
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// NTFS, FAT with long names and exFAT all take 255 UTF-16 units. (Asking the volume
// would cost a call per check and, under Wine, a complaint about the root of Z:.)
std::size_t NameLimit(const std::string&) {
  return 255;
}

std::size_t PathLimit() {
  return MAX_PATH;
}

}  // namespace morvane
