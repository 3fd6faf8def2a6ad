// SPDX-License-Identifier: MIT
// The boxes and dialogs of the Win32 toolkit: message boxes, the completion message that
// offers to open the output folder, the open and save dialogs of the file dialog
// components, and the stop box of the fatal error path.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "ui/message_boxes.h"
#include "ui/win32/win32_control.h"
#include "ui/win32/win32_text.h"

namespace morvane::ui {

std::wstring DialogFilter(std::span<const FileFilter> filters) {
  // Each entry's name and patterns, each ended by a zero, and a zero after the last.
  std::wstring filter;
  for (const FileFilter& entry : filters) {
    filter += WideFromUtf8Literal(entry.name);
    filter += L'\0';
    filter += WideFromUtf8Literal(entry.patterns);
    filter += L'\0';
  }
  filter += L'\0';
  return filter;
}

int Win32Toolkit::ShowMessageBox(const std::string& content, int flags,
                                 const std::string& caption) {
  // A question has 是 and 否, 否 the default, as on the other toolkits.
  const bool question = (flags & kYesNo) != 0;
  // Owned by the window it speaks for, so that it stands above it and that window waits
  // for the answer; with no window open, every window of the program waits.
  HWND owner = OwnerWindow();
  const int pressed =
      MessageBoxW(owner, WideFromUtf8(content).c_str(), WideFromUtf8(CaptionOrDefault(caption)).c_str(),
                  (question ? MB_YESNO | MB_DEFBUTTON2 : MB_OK) | (owner ? 0 : MB_TASKMODAL));
  if (!question) return 0;
  return pressed == IDYES ? kAnswerYes : kAnswerNo;
}

void Win32Toolkit::ShowCompletion(const std::string& content, const std::string& caption,
                                  const Path& folder) {
  // A task dialog has buttons of the program's own words; it comes with the common
  // controls of version 6 (the manifest asks for them), so it is looked up, and a plain
  // message box stands in where it is missing.
  using TaskDialogFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
  HMODULE controls = GetModuleHandleW(L"comctl32.dll");
  const auto taskDialog = controls ? reinterpret_cast<TaskDialogFunction>(reinterpret_cast<void*>(
                                         GetProcAddress(controls, "TaskDialogIndirect")))
                                   : nullptr;
  if (!taskDialog) {
    ShowMessageBox(content, 0, caption);
    return;
  }
  constexpr int kOpenFolder = 100;
  const std::wstring text = WideFromUtf8(content);
  const std::wstring title = WideFromUtf8(CaptionOrDefault(caption));
  const TASKDIALOG_BUTTON buttons[] = {{IDOK, L"确定"}, {kOpenFolder, L"打开文件夹"}};
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hwndParent = OwnerWindow();  // the window it speaks for waits for the answer
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION;
  config.pszWindowTitle = title.c_str();
  config.pszContent = text.c_str();
  config.pButtons = buttons;
  config.cButtons = static_cast<UINT>(std::size(buttons));
  config.nDefaultButton = IDOK;
  int pressed = IDOK;
  if (FAILED(taskDialog(&config, &pressed, nullptr, nullptr))) {
    ShowMessageBox(content, 0, caption);
    return;
  }
  if (pressed != kOpenFolder) return;
  const auto opened = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"explore", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  // Values up to 32 are errors: no file manager to hand the folder to, so its path.
  if (opened <= 32) {
    ShowMessageBox("没有找到文件管理器。输出文件夹是：\n" + DisplayName(folder), 0, {});
  }
}

bool Win32Toolkit::ShowFileDialog(FileDialog component) {
  FileDialogSettings& settings = dialogs_.at(std::string(component));
  if (!settings.preset.empty()) {
    settings.fileName = std::exchange(settings.preset, std::wstring());
    return true;
  }
  std::wstring file(32768, L'\0');
  std::copy_n(settings.fileName.begin(), std::min<std::size_t>(settings.fileName.size(), 32767),
              file.begin());
  const DWORD folder = GetFileAttributesW(settings.initialFolder.c_str());
  const bool folderExists =
      folder != INVALID_FILE_ATTRIBUTES && (folder & FILE_ATTRIBUTE_DIRECTORY);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = OwnerWindow();
  dialog.lpstrFilter = settings.filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = folderExists ? settings.initialFolder.c_str() : nullptr;
  dialog.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_NOCHANGEDIR |
                 (settings.save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  if (!(settings.save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) return false;
  settings.fileName = file.c_str();
  return true;
}

Path Win32Toolkit::DialogFileName(FileDialog component) const {
  return Path(dialogs_.at(std::string(component)).fileName);
}

void Win32Toolkit::ChooseWithoutDialog(FileDialog component, const Path& path) {
  dialogs_.at(std::string(component)).preset = path.native();
}

void ShowStopBox(const ByteText& text, const ByteText& caption) {
  MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(), MB_ICONSTOP | MB_TASKMODAL);
}

}  // namespace morvane::ui
