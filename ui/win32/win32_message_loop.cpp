// SPDX-License-Identifier: MIT
// The message loop of the Win32 toolkit: the window procedure of the program's windows,
// which turns the controls' notices into events (clicks, typing, selections, folders
// opened, files dropped), the keys the windows share, and the loop itself.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <windowsx.h>

#include <algorithm>

#include "core/folder_listing.h"
#include "ui/win32/win32_control.h"
#include "ui/win32/win32_text.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace morvane::ui {

void Win32Toolkit::RegisterClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  INITCOMMONCONTROLSEX common{sizeof common, ICC_TAB_CLASSES | ICC_TREEVIEW_CLASSES |
                                                 ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS |
                                                 ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&common);
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
  if (!icon) icon = LoadIconW(nullptr, IDI_APPLICATION);
  RegisterWindowClass(kWindowClass, WindowProcedure, icon);
  RegisterWindowClass(kPageClass, [](HWND window, UINT message, WPARAM w, LPARAM l) -> LRESULT {
    // A page passes its controls' notices on to the window, where the controls are known.
    switch (message) {
      case WM_COMMAND:
      case WM_NOTIFY:
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORBTN:
      case WM_DRAWITEM:
        return SendMessageW(GetAncestor(window, GA_ROOT), message, w, l);
      default:
        return DefWindowProcW(window, message, w, l);
    }
  });
}

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, HICON icon) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.hIcon = icon;
  windowClass.lpszClassName = name;
  RegisterClassExW(&windowClass);
}

int Win32Toolkit::Run() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!PreTranslate(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return static_cast<int>(message.wParam);
}

bool Win32Toolkit::PreTranslate(MSG& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN &&
      message.message != WM_CHAR) {
    return false;
  }
  HWND root = GetAncestor(message.hwnd, GA_ROOT);
  const bool ours = std::any_of(windows_.begin(), windows_.end(),
                                [&](const auto& entry) { return entry.second->hwnd == root; });
  if (!ours) return false;
  if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
    // Esc closes the window from whichever control has the focus.
    PostMessageW(root, WM_CLOSE, 0, 0);
    return true;
  }
  const bool control = GetKeyState(VK_CONTROL) < 0;
  if (message.message == WM_KEYDOWN && control &&
      (message.wParam == VK_NEXT || message.wParam == VK_PRIOR || message.wParam == VK_TAB)) {
    // Ctrl+PageDown (or Ctrl+Tab) and Ctrl+PageUp move between the pages of the window.
    for (auto& [name, c] : controls_) {
      if (c->kind != Kind::kTabControl || GetAncestor(c->hwnd, GA_ROOT) != root) continue;
      const TabsPart& tabs = c->As<TabsPart>();
      const int count = static_cast<int>(tabs.pages.size());
      if (count == 0) break;
      const bool back =
          message.wParam == VK_PRIOR || (message.wParam == VK_TAB && GetKeyState(VK_SHIFT) < 0);
      SelectPage(*c, (tabs.shown + (back ? count - 1 : 1)) % count);
      return true;
    }
  }
  if (message.message == WM_KEYDOWN &&
      (message.wParam == VK_RETURN || message.wParam == VK_SPACE)) {
    for (auto& [name, control] : controls_) {
      if (control->hwnd != message.hwnd) continue;
      if (message.wParam == VK_RETURN && control->kind == Kind::kFolderTree) {
        const auto selected = reinterpret_cast<HTREEITEM>(
            SendMessageW(control->hwnd, TVM_GETNEXTITEM, TVGN_CARET, 0));
        if (selected) OpenTreeNode(*control, selected);
        return true;
      }
      if (message.wParam == VK_RETURN && control->kind == Kind::kEdit &&
          routines_.count({name, Event::kEntered})) {
        const std::string entered = name;  // the routine may close the window
        Fire(entered, Event::kEntered);
        return true;
      }
      if (message.wParam == VK_SPACE && control->kind == Kind::kCheckList &&
          !(control->look.flags & kNoBoxes)) {
        // The list would tick its own box, which it does not hold: the toolkit ticks.
        const int row = ListView_GetNextItem(control->hwnd, -1, LVNI_FOCUSED);
        if (row >= 0) Toggle(*control, row);
        return true;
      }
      break;
    }
  }
  // Tab moves the focus; Enter in a one-line box does nothing.
  return IsDialogMessageW(root, &message) != FALSE;
}

void SortNaturally(std::vector<Path>& paths) {
  const auto nameOf = [](const Path& path) {
    const std::wstring& native = path.native();
    const std::size_t slash = native.find_last_of(L"\\/");
    return slash == std::wstring::npos ? native.c_str() : native.c_str() + slash + 1;
  };
  std::stable_sort(paths.begin(), paths.end(), [&](const Path& a, const Path& b) {
    return StrCmpLogicalW(nameOf(a), nameOf(b)) < 0;
  });
}

void Win32Toolkit::Dropped(HWND window, HDROP drop) {
  // The files arrive at the window; the point says on which control they were let go.
  POINT at{};
  DragQueryPoint(drop, &at);
  std::vector<Path> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    path.resize(DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
    paths.emplace_back(std::move(path));
  }
  DragFinish(drop);
  for (const std::string& name : dropTargets_) {
    auto found = controls_.find(name);
    if (found == controls_.end() || !IsWindowVisible(found->second->hwnd)) continue;
    Control& target = *found->second;
    RECT area;
    GetWindowRect(target.hwnd, &area);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&area), 2);
    if (!PtInRect(&area, at)) continue;
    std::vector<Path> taken;
    for (const Path& path : paths) {
      const EntryKind kind = KindOf(path);
      if (target.drop.kind == DropKind::kFiles ? kind == EntryKind::kFile
                                               : kind == EntryKind::kFolder) {
        taken.push_back(path);
      }
    }
    if (taken.empty() || (target.drop.kind == DropKind::kFolder && taken.size() != 1)) return;
    SortNaturally(taken);
    if (static_cast<int>(taken.size()) > target.drop.most) {
      taken.resize(static_cast<std::size_t>(target.drop.most));
    }
    target.dropped = std::move(taken);
    const std::string dropped = name;  // the routine may close the window
    Fire(dropped, Event::kDropped);
    return;
  }
}

void Win32Toolkit::DrawButton(const DRAWITEMSTRUCT& item) {
  const bool pressed = item.itemState & ODS_SELECTED;
  const bool focused = item.itemState & ODS_FOCUS;
  HBRUSH fill = CreateSolidBrush(pressed ? RGB(222, 218, 196) : RGB(236, 233, 216));
  FillRect(item.hDC, &item.rcItem, fill);
  DeleteObject(fill);
  HPEN pen = CreatePen(PS_SOLID, 1, focused ? RGB(150, 142, 110) : RGB(196, 190, 160));
  HGDIOBJ oldPen = SelectObject(item.hDC, pen);
  HGDIOBJ oldBrush = SelectObject(item.hDC, GetStockObject(NULL_BRUSH));
  Rectangle(item.hDC, item.rcItem.left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom);
  SelectObject(item.hDC, oldBrush);
  SelectObject(item.hDC, oldPen);
  DeleteObject(pen);
  std::wstring text = WindowText(item.hwndItem);
  RECT area = item.rcItem;
  if (pressed) OffsetRect(&area, 1, 1);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC,
               IsWindowEnabled(item.hwndItem) ? RGB(0, 0, 0) : GetSysColor(COLOR_GRAYTEXT));
  DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &area,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT CALLBACK Win32Toolkit::WindowProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    auto* top = static_cast<TopWindow*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
    top->hwnd = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(top));
  }
  auto* top = reinterpret_cast<TopWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!top) return DefWindowProcW(window, message, w, l);
  return top->toolkit->Handle(*top, message, w, l);
}

LRESULT Win32Toolkit::Handle(TopWindow& top, UINT message, WPARAM w, LPARAM l) {
  HWND window = top.hwnd;
  switch (message) {
    case WM_COMMAND: {
      if (LOWORD(w) == IDOK) {
        // Enter where no control takes it (IsDialogMessage): the window's default button.
        for (const std::string& name : top.controls) {
          const Control& button = *controls_.at(name);
          if (button.kind == Kind::kButton && (button.look.flags & kDefault) &&
              IsWindowEnabled(button.hwnd)) {
            const std::string pressed = name;
            Fire(pressed, Event::kClicked);
            return 0;
          }
        }
      }
      Control* control = FindById(top, LOWORD(w));
      if (!control) break;
      const std::string name = control->name;
      const WORD code = HIWORD(w);
      if (control->kind == Kind::kButton && code == BN_CLICKED) {
        Fire(name, Event::kClicked);
      } else if (control->kind == Kind::kRadio && code == BN_CLICKED) {
        SetChecked(RadioButton(name), true);
        Fire(name, Event::kClicked);
      } else if ((control->kind == Kind::kEdit || control->kind == Kind::kSpin) &&
                 code == EN_CHANGE && settingText_ == 0) {
        Fire(name, Event::kContentChanged);
      } else if (control->kind == Kind::kDropDown && code == CBN_SELCHANGE) {
        Fire(name, Event::kItemSelected);
      } else if (control->kind == Kind::kDriveList && code == CBN_SELCHANGE) {
        Fire(name, Event::kDriveChanged);
      }
      return 0;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(l);
      Control* control = FindById(top, static_cast<int>(header->idFrom));
      if (!control) break;
      if (control->kind == Kind::kCheckList) return ListNotice(*control, *header, l);
      if (control->kind == Kind::kTabControl && header->code == TCN_SELCHANGE) {
        SelectPage(*control, static_cast<int>(SendMessageW(control->hwnd, TCM_GETCURSEL, 0, 0)));
        return 0;
      }
      if (control->kind == Kind::kFolderTree) {
        if (header->code == NM_DBLCLK) {
          // A double-click selects the node under the pointer first, then opens it.
          TVHITTESTINFO hit{};
          const DWORD at = GetMessagePos();
          hit.pt = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
          ScreenToClient(control->hwnd, &hit.pt);
          auto node = reinterpret_cast<HTREEITEM>(
              SendMessageW(control->hwnd, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
          if (node && (hit.flags & TVHT_ONITEM)) OpenTreeNode(*control, node);
          return TRUE;  // no expanding or collapsing of its own
        }
        if (header->code == TVN_ITEMEXPANDINGW) {
          const auto* change = reinterpret_cast<const NMTREEVIEWW*>(l);
          // Only the program expands; the user's collapse would hide the chain.
          return change->action == TVE_COLLAPSE ? TRUE : FALSE;
        }
      }
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN: {
      HWND child = reinterpret_cast<HWND>(l);
      HDC dc = reinterpret_cast<HDC>(w);
      Control* control = FindById(top, GetDlgCtrlID(child));
      if (!control) break;
      if (control->look.textColour != kNoColour) SetTextColor(dc, Colour(control->look.textColour));
      if (control->kind == Kind::kTransparentLabel) {
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
      }
      if (control->brush) {
        SetBkColor(dc, Colour(control->look.background));
        return reinterpret_cast<LRESULT>(control->brush);
      }
      if (control->kind == Kind::kWebView ||
          (control->kind == Kind::kEdit && message == WM_CTLCOLORSTATIC)) {
        // Read-only boxes and the local pages stay white, as the boxes that can be typed in.
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      LRESULT brush = DefWindowProcW(window, message, w, l);
      if (control->look.textColour != kNoColour) SetTextColor(dc, Colour(control->look.textColour));
      return brush;
    }
    case WM_DPICHANGED: {
      // Moved to a monitor of another DPI (or the DPI of this one changed): the window takes
      // the rectangle the system suggests, and its controls are laid out again at the new
      // DPI.
      const RECT& suggested = *reinterpret_cast<const RECT*>(l);
      SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
      LayOut(top, LOWORD(w));
      return 0;
    }
    case WM_DROPFILES:
      Dropped(window, reinterpret_cast<HDROP>(w));
      return 0;
    case WM_DRAWITEM:
      DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
      return TRUE;
    case WM_CLOSE:
      // The owner takes input again before this window goes, so that it is activated.
      if (HWND owner = GetWindow(window, GW_OWNER)) EnableWindow(owner, TRUE);
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      if (top.main) PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY: {
      const std::string name = top.name;
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      Forget(name);
      return DefWindowProcW(window, message, w, l);
    }
    default:
      break;
  }
  return DefWindowProcW(window, message, w, l);
}

}  // namespace morvane::ui
