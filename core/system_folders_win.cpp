// SPDX-License-Identifier: MIT
// The program's own folder on Windows, from the module file name of the executable.
#include <windows.h>

#include "core/system_folders.h"

namespace morvane {

std::wstring ProgramFolder() {
  // The name may be longer than MAX_PATH: grow the buffer until it fits.
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) {
      name.resize(length);
      break;
    }
    if (name.size() >= 32768) return {};
    name.resize(name.size() * 2);
  }
  const std::size_t slash = name.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  name.resize(slash);
  if (name.starts_with(L"\\\\?\\UNC\\")) {
    name.erase(0, 7);
    name.insert(0, L"\\");
  } else if (name.starts_with(L"\\\\?\\")) {
    name.erase(0, 4);
  }
  return name;
}

std::string ConversionDataFolder() {
  std::wstring folder = ProgramFolder();
  if (folder.empty()) return {};
  folder += L"\\opencc";
  for (wchar_t& c : folder) {
    if (c == L'\\') c = L'/';
  }
  const int size = WideCharToMultiByte(CP_UTF8, 0, folder.data(), static_cast<int>(folder.size()),
                                       nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, folder.data(), static_cast<int>(folder.size()), utf8.data(), size,
                      nullptr, nullptr);
  return utf8;
}

}  // namespace morvane
