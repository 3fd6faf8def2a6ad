// SPDX-License-Identifier: MIT
#pragma once
// The one place where the Win32 toolkit turns the lengths of the window descriptions, which
// are drawn for 96 DPI, into the pixels of a window at its own DPI: 120 at 125 %, 144 at
// 150 %, 192 at 200 %. The program declares itself aware of each monitor's DPI (its
// manifest), so the system never stretches its windows: they are laid out again at the DPI
// of the monitor they stand on.
//
// GetDpiForWindow, GetSystemMetricsForDpi and AdjustWindowRectExForDpi came with
// Windows 10 (1607); they are looked up at run time, and on older systems the screen's
// DPI (LOGPIXELSX, the same on every monitor there) and the plain calls stand in.

#include <windows.h>

namespace morvane::ui {

// The DPI the descriptions are drawn for.
inline constexpr int kDesignDpi = 96;

// A length of a description at the DPI, rounded to the nearest pixel.
inline int Scaled(int length, int dpi) {
  return MulDiv(length, dpi, kDesignDpi);
}

// The DPI of the monitor a window stands on (its owner's, before it is placed).
int WindowDpi(HWND window);
// A system metric (SM_CXVSCROLL, ...) at the DPI.
int MetricAt(int index, int dpi);
// The window rectangle around a client area of the given size, with the frame and title
// bar the system draws at the DPI.
SIZE FramedSize(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi);

}  // namespace morvane::ui
