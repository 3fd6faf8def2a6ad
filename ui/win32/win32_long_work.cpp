// SPDX-License-Identifier: MIT
// Long work on Windows: the job on a worker thread, the window's thread pumping messages
// meanwhile so that the windows repaint, and a progress window once the job has taken
// longer than a moment.

#include <atomic>
#include <cstdio>
#include <exception>
#include <thread>
#include <vector>

#include "ui/win32/win32_dpi.h"
#include "ui/win32/win32_toolkit.h"

namespace morvane::ui {
namespace {

// How long a job runs before its progress window appears, and how often it is redrawn.
constexpr ULONGLONG kProgressDelayMs = 200;
constexpr DWORD kRefreshMs = 50;
constexpr wchar_t kProgressClass[] = L"MorvaneProgress";
constexpr int kCancelId = IDCANCEL;

std::wstring Megabytes(std::int64_t bytes) {
  wchar_t text[32];
  std::swprintf(text, std::size(text), L"%.1f", static_cast<double>(bytes) / (1024.0 * 1024.0));
  return text;
}

// The line above the bar: files and bytes when the job writes files, else bytes alone.
std::wstring CountLine(const WorkSize& size, std::int64_t files, std::int64_t bytes) {
  if (size.files > 0) {
    return L"已写入 " + std::to_wstring(files) + L" / " + std::to_wstring(size.files) +
           L" 个文件（" + Megabytes(bytes) + L" / " + Megabytes(size.bytes) + L" MB）";
  }
  if (size.bytes > 0)
    return L"已处理 " + Megabytes(bytes) + L" / " + Megabytes(size.bytes) + L" MB";
  return L"正在处理……";
}

// The bar counts per mille of the bytes, or of the files when there are no bytes.
int PerMille(std::int64_t done, std::int64_t total) {
  if (total <= 0) return 0;
  return static_cast<int>(1000.0 * static_cast<double>(done) / static_cast<double>(total));
}

struct ProgressWindow {
  HWND window = nullptr;
  HWND count = nullptr;
  HWND bar = nullptr;
  HWND cancel = nullptr;
  SharedProgress* progress = nullptr;
  bool stopping = false;

  // 取消, Esc and the close box ask the job to stop; the window stays until it has.
  void Stop() {
    progress->RequestStop();
    if (stopping) return;
    stopping = true;
    EnableWindow(cancel, FALSE);
    SetWindowTextW(cancel, L"正在取消……");
  }
};

LRESULT CALLBACK ProgressProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  auto* shown = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_COMMAND:
      if (shown && LOWORD(w) == kCancelId) shown->Stop();
      return 0;
    case WM_CLOSE:
      if (shown) shown->Stop();
      return 0;
    default:
      return DefWindowProcW(window, message, w, l);
  }
}

void RegisterProgressClass() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterWindowClass(kProgressClass, ProgressProcedure);
}

// Keys, clicks and drops: the input that the windows behind the progress window must not
// see while the job runs.
bool IsInput(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) || message == WM_DROPFILES;
}

}  // namespace

void Win32Toolkit::RunLongWork(const WorkSize& size, const Job& job) {
  SharedProgress progress;
  HANDLE ended = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      job(progress);
    } catch (...) {
      failure = std::current_exception();
    }
    SetEvent(ended);
  });

  // The program's windows take no input until the job has ended; they still repaint.
  // The progress window stands over the window that was active (a modal window over the
  // main window, say), else over the main window.
  std::vector<HWND> held;
  const std::vector<HWND> windows = TopWindows();
  HWND owner = OwnerWindow();
  for (HWND window : windows) {
    if (IsWindowEnabled(window)) {
      EnableWindow(window, FALSE);
      held.push_back(window);
    }
  }

  ProgressWindow shown;
  shown.progress = &progress;
  const ULONGLONG started = GetTickCount64();
  bool quit = false;
  WPARAM quitCode = 0;
  const auto refresh = [&] {
    const std::int64_t files = progress.files();
    const std::int64_t bytes = progress.bytes();
    SetWindowTextW(shown.count, CountLine(size, files, bytes).c_str());
    if (size.bytes > 0 || size.files > 0) {
      SendMessageW(shown.bar, PBM_SETPOS,
                   size.bytes > 0 ? PerMille(bytes, size.bytes) : PerMille(files, size.files), 0);
    }
  };
  const auto show = [&] {
    RegisterProgressClass();
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    // Laid out at the DPI of the window it stands over.
    const int dpi = WindowDpi(owner);
    const auto px = [dpi](int length) { return Scaled(length, dpi); };
    const SIZE frame = FramedSize(px(360), px(104), style, WS_EX_DLGMODALFRAME, dpi);
    shown.window = CreateWindowExW(WS_EX_DLGMODALFRAME, kProgressClass, L"请稍候", style,
                                   CW_USEDEFAULT, CW_USEDEFAULT, frame.cx, frame.cy, owner, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    if (!shown.window) return;
    SetWindowLongPtrW(shown.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&shown));
    HINSTANCE instance = GetModuleHandleW(nullptr);
    shown.count =
        CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_NOPREFIX, px(12), px(12),
                        px(336), px(20), shown.window, nullptr, instance, nullptr);
    const bool measured = size.bytes > 0 || size.files > 0;
    shown.bar = CreateWindowExW(0, PROGRESS_CLASSW, L"",
                                WS_CHILD | WS_VISIBLE | (measured ? 0 : PBS_MARQUEE), px(12),
                                px(38), px(336), px(18), shown.window, nullptr, instance, nullptr);
    SendMessageW(shown.bar, PBM_SETRANGE32, 0, 1000);
    if (!measured) SendMessageW(shown.bar, PBM_SETMARQUEE, TRUE, 30);
    shown.cancel = CreateWindowExW(
        0, L"BUTTON", L"取消", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, px(248), px(70),
        px(100), px(24), shown.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCancelId)),
        instance, nullptr);
    HFONT font = FontFor(Font{}, dpi);
    for (HWND child : {shown.count, shown.cancel}) {
      SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    refresh();
    ShowCentred(shown.window);
    SetFocus(shown.cancel);
  };

  ULONGLONG refreshed = 0;
  while (WaitForSingleObject(ended, 0) != WAIT_OBJECT_0) {
    MsgWaitForMultipleObjects(1, &ended, FALSE, kRefreshMs, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        // Quitting waits for the job; the outer loop gets the request afterwards.
        quit = true;
        quitCode = message.wParam;
        continue;
      }
      const bool toProgress =
          shown.window != nullptr && GetAncestor(message.hwnd, GA_ROOT) == shown.window;
      if (IsInput(message.message) && !toProgress) continue;
      if (toProgress && message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
        shown.Stop();
        continue;
      }
      if (toProgress && IsDialogMessageW(shown.window, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    const ULONGLONG now = GetTickCount64();
    if (!shown.window && now - started >= kProgressDelayMs &&
        WaitForSingleObject(ended, 0) != WAIT_OBJECT_0) {
      show();
      refreshed = now;
    } else if (shown.window && now - refreshed >= kRefreshMs) {
      refresh();
      refreshed = now;
    }
  }
  worker.join();
  CloseHandle(ended);
  for (HWND window : held) {
    if (IsWindow(window)) EnableWindow(window, TRUE);
  }
  if (shown.window) DestroyWindow(shown.window);
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
  if (failure) std::rethrow_exception(failure);
}

}  // namespace morvane::ui
