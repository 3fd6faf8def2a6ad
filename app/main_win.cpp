// SPDX-License-Identifier: MIT
#include <windows.h>

#include <shellapi.h>

#include <vector>

#include "app/desktop.h"
#include "core/fatal.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  morvane::EndUncaughtOutOfMemoryWithMessage();
  // The files to open, in UTF-16 as the system spelled them (Explorer's "open with" too).
  std::vector<morvane::Path> files;
  int count = 0;
  if (LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) {
      wchar_t full[MAX_PATH * 8];
      const DWORD length = GetFullPathNameW(arguments[i], MAX_PATH * 8, full, nullptr);
      if (length > 0 && length < MAX_PATH * 8) {
        files.emplace_back(std::wstring(full, length));
      } else if (arguments[i][0] != L'\0') {
        files.emplace_back(std::wstring(arguments[i]));
      }
    }
    LocalFree(arguments);
  }
  morvane::app::RunDesktop(std::move(files));
  return 0;
}
