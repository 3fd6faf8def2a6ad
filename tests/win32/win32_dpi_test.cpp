// SPDX-License-Identifier: MIT
// Every window the Win32 toolkit builds, at 96, 144 and 192 DPI (100 %, 150 %, 200 %) and
// after a move to a monitor of another DPI: each control lies inside its window, takes its
// font at the DPI, and holds its text, measured in its own font (a label's, a button's, a
// list's items, a list's column titles): as wide as GetTextExtentPoint32W
// says, as high as the font's em (its pixel size, what a Chinese character takes; the
// substitute fonts under Wine add leading above and below).
//
// Under Wine the system's DPI is the value LogPixels (REG_DWORD) under
// HKEY_CURRENT_USER\Control Panel\Desktop, which each program reads as it starts (Wine 8
// gives it to every program, whether it declares itself DPI-aware or not): so each row runs
// in a child process of this test started after the value is set, in the Wine prefix the
// test runs in, and the value is put back afterwards. Where the value does not set the DPI
// (Windows reads it at sign-in), the child says so and checks nothing.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/windows.h"
#include "presenters/control_names.h"
#include "ui/win32/win32_dpi.h"
#include "ui/win32/win32_text.h"
#include "ui/win32/win32_toolkit.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace morvane::testing {
namespace {

using ui::Kind;
using ui::Scaled;

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr char kChildVariable[] = "MORVANE_DPI_CHILD";  // "SYSTEM CHANGED_TO"

struct DpiRow {
  int system;     // the system's DPI the windows are built at
  int changedTo;  // 0, or the DPI of the monitor they are then moved to (WM_DPICHANGED)
};
const DpiRow kRows[] = {{96, 0}, {144, 0}, {192, 0}, {96, 144}};

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The size of a text in a control's own font.
SIZE Extent(HWND control, const std::wstring& text) {
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return extent;
}

SIZE ClientSize(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  return {client.right, client.bottom};
}

// What does not fit in a window at a DPI, one line per fault.
std::vector<std::string> Misfits(ui::Win32Toolkit& toolkit, const ui::WindowDescription& window,
                                 HWND top, int dpi) {
  std::vector<std::string> faults;
  RECT client;
  GetClientRect(top, &client);
  MapWindowPoints(top, nullptr, reinterpret_cast<POINT*>(&client), 2);
  for (const ui::ControlRow& row : window.controls) {
    HWND control = toolkit.Handle(row.name);
    if (control == nullptr) continue;
    const std::string name(row.name);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    const auto fault = [&](const std::string& what, const std::wstring& text, SIZE need,
                           SIZE room) {
      faults.push_back(name + ": " + what + " " + std::to_string(text.size()) + " characters, " +
                       std::to_string(need.cx) + "x" + std::to_string(need.cy) + " in " +
                       std::to_string(room.cx) + "x" + std::to_string(room.cy));
    };
    const auto fits = [&](const std::string& what, const std::wstring& text, SIZE margin,
                          SIZE room) {
      if (text.empty()) return;
      const SIZE need{Extent(control, text).cx + margin.cx, -font.lfHeight + margin.cy};
      if (need.cx > room.cx || need.cy > room.cy) fault(what, text, need, room);
    };
    RECT place;
    GetWindowRect(control, &place);
    // Nothing cut at the bottom; an edge may hide under the frame.
    const int edge = Scaled(4, dpi);
    if (row.kind != Kind::kTabPage &&
        (place.left < client.left - edge || place.top < client.top - edge ||
         place.right > client.right + edge || place.bottom > client.bottom)) {
      faults.push_back(name + ": outside the window's client area");
    }
    const int pixels = row.look.font.pixelSize > 0 ? row.look.font.pixelSize : 12;
    if (row.kind != Kind::kTabPage && font.lfHeight != -Scaled(pixels, dpi)) {
      faults.push_back(name + ": font of " + std::to_string(-font.lfHeight) + " pixels");
    }
    const SIZE room = ClientSize(control);
    switch (row.kind) {
      case Kind::kLabel:
      case Kind::kTransparentLabel:
        fits("text", TextOf(control), {0, 0}, room);
        break;
      case Kind::kButton:  // inside the button's edges
        fits("caption", TextOf(control), {Scaled(2, dpi), Scaled(2, dpi)}, room);
        break;
      case Kind::kRadio:     // after the circle and its gap
      case Kind::kGroupBox:  // from its left edge, with a gap on either side
        fits("caption", TextOf(control), {Scaled(16, dpi), 0}, room);
        break;
      case Kind::kEdit:
      case Kind::kSpin:
        if (!(row.look.flags & ui::kMultiLine)) {
          fits("line", TextOf(control) + L"国", {0, 0}, room);
        }
        break;
      case Kind::kDropDown:
      case Kind::kDriveList: {
        COMBOBOXINFO box{};
        box.cbSize = sizeof box;
        GetComboBoxInfo(control, &box);
        const SIZE field{box.rcItem.right - box.rcItem.left, box.rcItem.bottom - box.rcItem.top};
        fits("shown item", L"国", {0, 0}, field);
        // The dropped list: its border, its scroll bar and the item's margin.
        const SIZE list{static_cast<LONG>(SendMessageW(control, CB_GETDROPPEDWIDTH, 0, 0)) -
                            2 * ui::MetricAt(SM_CXEDGE, dpi) - ui::MetricAt(SM_CXVSCROLL, dpi),
                        field.cy};
        const auto count = static_cast<int>(SendMessageW(control, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
          std::wstring item(static_cast<std::size_t>(SendMessageW(control, CB_GETLBTEXTLEN, i, 0)),
                            L'\0');
          SendMessageW(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
          fits("item " + std::to_string(i), item, {Scaled(4, dpi), 0}, list);
        }
        break;
      }
      case Kind::kCheckList: {
        HWND header = ListView_GetHeader(control);
        for (std::size_t i = 0; i < row.columns.size(); ++i) {
          const auto width =
              static_cast<LONG>(ListView_GetColumnWidth(control, static_cast<int>(i)));
          RECT title;
          Header_GetItemRect(header, static_cast<int>(i), &title);
          fits("column " + std::to_string(i),
               std::wstring(ui::WideFromUtf8Literal(row.columns[i].title)), {Scaled(12, dpi), 0},
               {width, title.bottom - title.top});
        }
        break;
      }
      default:  // the tabs size themselves; the local page and the tree scroll
        break;
    }
  }
  return faults;
}

// Runs in the child: the windows at the system's DPI, then (on the rows that say so) moved
// to a monitor of another.
TEST(Win32Dpi, EveryTextFitsAtThisDpi) {
  const char* given = std::getenv(kChildVariable);
  if (given == nullptr) GTEST_SKIP() << "run by EveryTextFitsItsControl at each DPI";
  DpiRow row{};
  ASSERT_EQ(std::sscanf(given, "%d %d", &row.system, &row.changedTo), 2);
  ui::Win32Toolkit toolkit;
  const std::vector<ui::WindowDescription> windows = app::WindowDescriptions();
  for (const ui::WindowDescription& window : windows) toolkit.Describe(window);
  for (const ui::WindowDescription& window : windows) {
    SCOPED_TRACE(std::string(window.name));
    HWND top = toolkit.CreateTopWindow(window.name, toolkit.Handle(names::kMainWindow));
    ASSERT_NE(top, nullptr);
    if (ui::WindowDpi(top) != row.system) {
      GTEST_SKIP() << "LogPixels does not set the DPI here: it is " << ui::WindowDpi(top);
    }
    int dpi = row.system;
    if (row.changedTo != 0) {
      // The rectangle the system suggests: the window scaled about its corner.
      RECT suggested;
      GetWindowRect(top, &suggested);
      suggested.right =
          suggested.left + MulDiv(suggested.right - suggested.left, row.changedTo, dpi);
      suggested.bottom =
          suggested.top + MulDiv(suggested.bottom - suggested.top, row.changedTo, dpi);
      dpi = row.changedTo;
      SendMessageW(top, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
      RECT now;
      GetWindowRect(top, &now);
      EXPECT_TRUE(EqualRect(&now, &suggested)) << "the window did not take the suggested rectangle";
    }
    const SIZE client = ClientSize(top);
    EXPECT_GE(client.cx, Scaled(ui::ClientWidth(window), dpi));
    EXPECT_GE(client.cy, Scaled(ui::ClientHeight(window), dpi));
    EXPECT_EQ(Misfits(toolkit, window, top, dpi), std::vector<std::string>{});
  }
}

// The system's DPI as this test found it, put back when it ends however it ends.
class SavedLogPixels {
 public:
  SavedLogPixels() {
    DWORD size = sizeof value_;
    had_ = RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr,
                        &value_, &size) == ERROR_SUCCESS;
  }
  ~SavedLogPixels() {
    if (had_) {
      RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &value_,
                      sizeof value_);
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
    }
  }
  SavedLogPixels(const SavedLogPixels&) = delete;
  SavedLogPixels& operator=(const SavedLogPixels&) = delete;

 private:
  DWORD value_ = 0;
  bool had_ = false;
};

// The table: each row in a child process of its own, at the system DPI of the row.
TEST(Win32Dpi, EveryTextFitsItsControl) {
  const SavedLogPixels saved;
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  for (const DpiRow& row : kRows) {
    SCOPED_TRACE("at " + std::to_string(row.system) + " DPI, then " +
                 std::to_string(row.changedTo));
    const DWORD dpi = static_cast<DWORD>(row.system);
    ASSERT_EQ(
        RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi, sizeof dpi),
        ERROR_SUCCESS);
    const std::string value = std::to_string(row.system) + " " + std::to_string(row.changedTo);
    SetEnvironmentVariableA(kChildVariable, value.c_str());
    std::wstring command =
        L"\"" + std::wstring(self) + L"\" --gtest_filter=Win32Dpi.EveryTextFitsAtThisDpi";
    STARTUPINFOW start{};
    start.cb = sizeof start;
    PROCESS_INFORMATION child{};
    const bool started = CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        nullptr, &start, &child);
    SetEnvironmentVariableA(kChildVariable, nullptr);
    EXPECT_TRUE(started);
    if (!started) continue;
    EXPECT_EQ(WaitForSingleObject(child.hProcess, 120000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(child.hProcess, &code);
    EXPECT_EQ(code, 0u) << "the child's failures are printed above";
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
  }
}

}  // namespace
}  // namespace morvane::testing
