// SPDX-License-Identifier: MIT
// Every window as the Win32 toolkit builds it, held to its description: each control's
// text, list items, visibility, tick and whether it takes input, and its place (the sum of
// its own and its parents' places, a page counting from its tab control). Runs under Wine
// on a virtual display.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/windows.h"
#include "core/gbk.h"
#include "presenters/chapter_map.h"
#include "presenters/control_names.h"
#include "ui/win32/win32_toolkit.h"
#include "window_check.h"

namespace morvane::testing {
namespace {

using ui::Kind;

TEST(Win32Windows, EachIsBuiltAsDescribed) {
  ui::Win32Toolkit toolkit;
  const std::vector<ui::WindowDescription> windows = app::WindowDescriptions();
  for (const ui::WindowDescription& window : windows) toolkit.Describe(window);
  for (const ui::WindowDescription& window : windows) {
    SCOPED_TRACE(std::string(window.name));
    HWND top = toolkit.CreateTopWindow(window.name, toolkit.Handle(names::kMainWindow));
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(DifferencesFromDescription(toolkit, window), std::vector<std::string>{});
    std::map<std::string_view, const ui::ControlRow*> rows;
    for (const ui::ControlRow& row : window.controls) rows[row.name] = &row;
    for (const ui::ControlRow& row : window.controls) {
      HWND control = toolkit.Handle(row.name);
      if (control == nullptr || row.kind == Kind::kTabPage) continue;
      SCOPED_TRACE(std::string(row.name));
      POINT at{0, 0};
      for (const ui::ControlRow* up = &row; up != nullptr;) {
        at.x += up->place.x;
        at.y += up->place.y;
        up = up->parent.empty() ? nullptr : rows.at(up->parent);
      }
      RECT place;
      GetWindowRect(control, &place);
      MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&place), 2);
      EXPECT_EQ(place.left, at.x);
      EXPECT_EQ(place.top, at.y);
      // A list's described height includes its dropped-down part; a spin box gives its
      // arrows the right of its width.
      if (row.kind != Kind::kSpin) {
        EXPECT_EQ(place.right - place.left, row.place.width);
      }
      if (row.kind != Kind::kDropDown && row.kind != Kind::kDriveList) {
        EXPECT_EQ(place.bottom - place.top, row.place.height);
      }
    }
  }
}

// The chapter map's handlers on the Win32 controls: the row the user moves to shows its
// lines and title, a click on 改名 renames it in the list, and one on 撤销 takes that back.
TEST(Win32Windows, TheChapterMapRenamesAndUndoes) {
  ui::Win32Toolkit toolkit;
  for (const ui::WindowDescription& window : app::WindowDescriptions()) toolkit.Describe(window);
  AppState state;
  state.cut.normalText =
      GbkFromUtf8("第一章 风起\r\n他翻开那本旧书。\r\n第二章 云涌\r\n他读了很久。\r\n");
  state.chapterSearchDone = 1;
  BindChapterMap(toolkit, state);
  HWND top = toolkit.CreateTopWindow(names::kChapterMapWindow,
                                     toolkit.CreateTopWindow(names::kMainWindow));
  ASSERT_NE(top, nullptr);
  HWND list = toolkit.Handle(names::kMapList);
  const auto title = [list] {
    wchar_t cell[64] = L"";
    ListView_GetItemText(list, 1, names::kTitleColumn, cell, 64);
    return std::wstring(cell);
  };
  const auto click = [top, &toolkit](std::string_view button) {
    HWND hwnd = toolkit.Handle(button);
    SendMessageW(top, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd));
  };
  ASSERT_EQ(ListView_GetItemCount(list), 2);
  ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  EXPECT_EQ(ListView_GetItemCount(toolkit.Handle(names::kMapLines)), 2);
  EXPECT_EQ(toolkit.Text(names::kMapTitleBox), ByteText("第二章 云涌"));  // UTF-8
  SetWindowTextW(toolkit.Handle(names::kMapTitleBox), L"第二章 云起\uD55C");
  click(names::kMapRenameButton);
  EXPECT_EQ(title(), L"第二章 云起\uD55C");
  click(names::kMapUndoButton);
  EXPECT_EQ(title(), L"第二章 云涌");
  EXPECT_FALSE(toolkit.Enabled(names::kMapUndoButton));
}

// A message box is owned by the window it speaks for, so that it stands above that window:
// the main window, or the modal window open over it (the main window then takes no input).
TEST(Win32Windows, MessageBoxesAreOwnedByTheWindowTheySpeakFor) {
  ui::Win32Toolkit toolkit;
  for (const ui::WindowDescription& window : app::WindowDescriptions()) toolkit.Describe(window);
  HWND main = toolkit.CreateTopWindow(names::kMainWindow);
  ui::Win32Toolkit::ShowCentred(main);
  // The box's owner as it is made; once it is shown, a click on its button.
  static HWND owner = nullptr;
  HHOOK hook = SetWindowsHookExW(
      WH_CBT,
      [](int code, WPARAM w, LPARAM l) -> LRESULT {
        wchar_t name[16] = L"";
        const auto box = reinterpret_cast<HWND>(w);
        if (code == HCBT_CREATEWND && GetClassNameW(box, name, 16) &&
            std::wstring(name) == L"#32770") {
          owner = reinterpret_cast<CBT_CREATEWNDW*>(l)->lpcs->hwndParent;
        } else if (code == HCBT_ACTIVATE && GetClassNameW(box, name, 16) &&
                   std::wstring(name) == L"#32770") {
          PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        return CallNextHookEx(nullptr, code, w, l);
      },
      nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  toolkit.ShowMessageBox("已完成", 0, "信息");
  EXPECT_EQ(owner, main);
  HWND cleaning = toolkit.CreateTopWindow(names::kCleanWindow, main);
  EnableWindow(main, FALSE);  // as a modal window's loop does
  ui::Win32Toolkit::ShowCentred(cleaning);
  owner = nullptr;
  toolkit.ShowMessageBox("已完成", 0, "信息");
  EXPECT_EQ(owner, cleaning);
  UnhookWindowsHookEx(hook);
}

}  // namespace
}  // namespace morvane::testing
