#include "cli/terminal.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace morvane::cli {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

void PrintMessage(std::string_view message) {
  std::string line = "morvane-cli: ";
  for (std::size_t i = 0; i < message.size(); ++i) {
    if (message[i] == '\r' && i + 1 < message.size() && message[i + 1] == '\n') continue;
    line += message[i];
  }
  line += '\n';
  WriteAll(STDERR_FILENO, line);
}

bool WriteStdout(std::string_view bytes) {
  if (WriteAll(STDOUT_FILENO, bytes)) return true;
  PrintMessage(std::string("cannot write to standard output: ") + std::strerror(errno));
  return false;
}

}  // namespace morvane::cli
