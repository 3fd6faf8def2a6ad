// The guard on Windows: a mapped input whose pages cannot be read any more (a network
// drive gone, a removable disk pulled; Windows refuses to cut short a file that is
// mapped) raises EXCEPTION_IN_PAGE_ERROR where the pages are touched. A vectored handler
// turns that into the message and exit code 1.

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "cli/input_guard.h"

namespace morvane::cli {
namespace {

char message[4096];
std::size_t messageLength = 0;

LONG CALLBACK OnInPageError(EXCEPTION_POINTERS* exception) {
  if (exception->ExceptionRecord->ExceptionCode != EXCEPTION_IN_PAGE_ERROR) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), message, static_cast<DWORD>(messageLength), &written,
            nullptr);
  ExitProcess(1);
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
  AddVectoredExceptionHandler(1, OnInPageError);
  installed = true;
}

}  // namespace morvane::cli
