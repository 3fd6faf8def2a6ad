#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "core/file_facts.h"

namespace morvane {

std::optional<FileIdentity> IdentityOf(const std::string& nativePath) {
  struct stat info;
  if (nativePath.empty() || ::stat(nativePath.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
}

bool IsWritableFolder(const std::string& nativeFolder) {
  struct stat info;
  if (nativeFolder.empty() || ::stat(nativeFolder.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && ::access(nativeFolder.c_str(), W_OK | X_OK) == 0;
}

std::size_t NameLimit(const std::string& nativeFolder) {
  const long limit = ::pathconf(nativeFolder.c_str(), _PC_NAME_MAX);
  return limit > 0 ? static_cast<std::size_t>(limit) : NAME_MAX;
}

std::size_t PathLimit() {
  return PATH_MAX;
}

}  // namespace morvane
