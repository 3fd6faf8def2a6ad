// SPDX-License-Identifier: MIT
// The drives of the save-location window on Win32: the logical drives, each with the note
// for its kind.
#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <iterator>

#include "ui/win32/win32_toolkit.h"

namespace morvane::ui {

std::wstring DriveItem(std::wstring_view root, UINT driveType, std::wstring_view label) {
  std::wstring item;
  if (!root.empty()) item.push_back(static_cast<wchar_t>(towupper(root[0])));
  item += L':';
  switch (driveType) {
    case DRIVE_FIXED:
      item += L" （硬盘）";
      if (!label.empty()) item += L" " + std::wstring(label);
      break;
    case DRIVE_REMOTE:
      item += L" （网络驱动器）";
      break;
    case DRIVE_CDROM:
      item += L" （光驱）";
      break;
    case DRIVE_RAMDISK:
      item += L" （内存虚拟驱动器）";
      break;
    default:  // removable drives and the rest carry no note
      break;
  }
  return item;
}

std::vector<Win32Drive> LogicalDrives() {
  std::vector<Win32Drive> drives;
  wchar_t buffer[512];
  const DWORD n = GetLogicalDriveStringsW(static_cast<DWORD>(std::size(buffer)), buffer);
  if (n == 0 || n > std::size(buffer)) return drives;
  for (const wchar_t* root = buffer; *root; root += wcslen(root) + 1) {
    const UINT type = GetDriveTypeW(root);
    wchar_t label[MAX_PATH + 1] = L"";
    // Only fixed disks show their label; asking a removable or network drive may wait.
    if (type == DRIVE_FIXED) {
      const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
      if (!GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr,
                                 0)) {
        label[0] = L'\0';
      }
      SetErrorMode(oldMode);
    }
    Win32Drive drive;
    drive.root = std::wstring(1, static_cast<wchar_t>(towupper(root[0]))) + L":";
    drive.item = DriveItem(root, type, label);
    drives.push_back(std::move(drive));
  }
  return drives;
}

}  // namespace morvane::ui
