#include "cli/input_guard.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "cli/input_guard_handler.h"

namespace morvane::cli {

void GuardMappedInputs(const std::vector<std::string>& nativePaths) {
  static const std::string_view kLead = "morvane-cli: 文件在读取时被截短或改动，操作已中止：\n";
  std::size_t at = 0;
  auto append = [&](std::string_view part) {
    const std::size_t n = std::min(part.size(), sizeof guard::message - at);
    std::memcpy(guard::message + at, part.data(), n);
    at += n;
  };
  append(kLead);
  for (const std::string& path : nativePaths) {
    append(path);
    append("\n");
  }
  guard::messageLength = at;

  static bool installed = false;
  if (installed) return;
  guard::InstallHandler();
  installed = true;
}

}  // namespace morvane::cli
