// SPDX-License-Identifier: MIT
// The DPI of a window, system metrics and frames at a DPI (win32_dpi.h): the calls that
// know of each monitor's DPI where the system has them, the screen's DPI where not.
#include "ui/win32/win32_dpi.h"

namespace morvane::ui {
namespace {

// A function of user32.dll by name, or nullptr on a system that lacks it.
template <typename Function>
Function User32(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                : nullptr;
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : kDesignDpi;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDesignDpi;
}

}  // namespace

int WindowDpi(HWND window) {
  static const auto forWindow = User32<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
  const UINT dpi = forWindow && window ? forWindow(window) : 0;
  return dpi > 0 ? static_cast<int>(dpi) : ScreenDpi();
}

int MetricAt(int index, int dpi) {
  static const auto forDpi = User32<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
  if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
  // The plain metric is the screen's: brought to the DPI asked for.
  return MulDiv(GetSystemMetrics(index), dpi, ScreenDpi());
}

SIZE FramedSize(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi) {
  static const auto forDpi =
      User32<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
  RECT frame{0, 0, clientWidth, clientHeight};
  if (!forDpi || !forDpi(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  }
  return {frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace morvane::ui
