#include "cli/input_guard.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace morvane::cli {
namespace {

// Only async-signal-safe calls in the handler: the message is put together beforehand.
char message[4096];
std::size_t messageLength = 0;

void OnBusError(int) {
  ssize_t ignored = ::write(STDERR_FILENO, message, messageLength);
  (void)ignored;
  ::_exit(1);
}

}  // namespace

void GuardMappedInputs(const std::vector<std::string>& nativePaths) {
  static const std::string_view kLead = "morvane-cli: 文件在读取时被截短或改动，操作已中止：\n";
  std::size_t at = 0;
  auto append = [&](std::string_view part) {
    const std::size_t n = std::min(part.size(), sizeof message - at);
    std::memcpy(message + at, part.data(), n);
    at += n;
  };
  append(kLead);
  for (const std::string& path : nativePaths) {
    append(path);
    append("\n");
  }
  messageLength = at;

  static bool installed = false;
  if (installed) return;
  struct sigaction action {};
  action.sa_handler = OnBusError;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGBUS, &action, nullptr);
  installed = true;
}

}  // namespace morvane::cli
