// SPDX-License-Identifier: MIT
#include "cli/terminal.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#include "core/file_error.h"
#include "engine/messages.h"

namespace morvane::cli {
namespace {

#ifdef _WIN32
// A console shows text in its code page (936 on a Chinese system), not UTF-8: it is
// given the characters themselves. A file or pipe gets the UTF-8 bytes. A character whose
// bytes are split between two writes waits in carry for the rest. Nothing when fd is no
// console; else whether all went.
HANDLE ConsoleOf(int fd) {
  HANDLE console = GetStdHandle(fd == STDOUT_FILENO ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode)) return nullptr;
  return console;
}

bool WriteWide(HANDLE console, std::wstring_view rest) {
  while (!rest.empty()) {
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 16384));
    if (!WriteConsoleW(console, rest.data(), size, &written, nullptr) || written == 0) {
      errno = EIO;
      return false;
    }
    rest.remove_prefix(written);
  }
  return true;
}

std::optional<bool> WriteToConsole(int fd, std::string_view bytes) {
  HANDLE console = ConsoleOf(fd);
  if (console == nullptr) return std::nullopt;
  static std::string carry[3];
  std::string& held = carry[fd == STDOUT_FILENO ? 1 : 2];
  std::string text = held + std::string(bytes);
  std::size_t whole = text.size();
  // Keep back an incomplete sequence at the end (at most 3 bytes of a 4-byte one).
  for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const unsigned char c = static_cast<unsigned char>(text[text.size() - back]);
    if ((c & 0xC0) != 0x80) {
      const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
      if (length > back) whole = text.size() - back;
      break;
    }
  }
  held = text.substr(whole);
  text.resize(whole);
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return WriteWide(console, wide);
}
#endif

bool WriteAll(int fd, std::string_view bytes) {
#ifdef _WIN32
  if (const std::optional<bool> written = WriteToConsole(fd, bytes)) return *written;
#endif
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
  PrintMessage(messages::CannotWriteStandardOutput(PosixError(errno, FileOperation::kWrite)));
  return false;
}

bool WriteStdoutText(std::string_view bytes, [[maybe_unused]] Encoding encoding) {
#ifdef _WIN32
  if (HANDLE console = ConsoleOf(STDOUT_FILENO); console != nullptr) {
    const std::u16string text = Decode(encoding, bytes).text;
    if (WriteWide(console,
                  std::wstring_view(reinterpret_cast<const wchar_t*>(text.data()), text.size()))) {
      return true;
    }
    PrintMessage(messages::CannotWriteStandardOutput(PosixError(errno, FileOperation::kWrite)));
    return false;
  }
#endif
  return WriteStdout(bytes);
}

}  // namespace morvane::cli
