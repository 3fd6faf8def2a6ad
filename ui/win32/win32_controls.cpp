// SPDX-License-Identifier: MIT
// Builds the controls of a window from its rows: one factory per kind of control, each
// making the standard control that shows the row, and Build, which places a row in its
// container and applies what every kind shares (font, look, state at start).
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <cwctype>
#include <span>
#include <stdexcept>
#include <utility>
#include <vector>

#include "core/gbk.h"
#include "core/numbers.h"
#include "ui/win32/win32_control.h"
#include "ui/win32/win32_dpi.h"
#include "ui/win32/win32_folder_tree.h"
#include "ui/win32/win32_text.h"

namespace morvane::ui {
namespace {

// What a factory is given: the row, the control to fill, and where its window goes.
struct NewControl {
  const ControlRow& row;
  Win32Toolkit::Control& control;
  HWND top;
  HWND container;  // the nearest tab page up the chain, else the top-level window
  int x;           // the place in the container, at the window's DPI
  int y;
  int width;
  int height;
  int dpi;
  std::wstring text;  // the row's text in UTF-16
  int& settingText;   // raised while the factory sets a box's text: not the user's typing
  HIMAGELIST& folderImages;
  Win32Toolkit::Control* tabs;  // a tab page's tab control

  HWND Make(DWORD exStyle, const wchar_t* cls, const std::wstring& caption, DWORD style,
            int height) const {
    return CreateWindowExW(exStyle, cls, caption.c_str(), WS_CHILD | WS_CLIPSIBLINGS | style, x, y,
                           width, height, container,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                           GetModuleHandleW(nullptr), nullptr);
  }
  std::uint32_t Flags() const { return row.look.flags; }
  int Height() const { return height; }
};

void MakeEdit(NewControl& c) {
  const std::uint32_t flags = c.Flags();
  DWORD style = WS_TABSTOP | (flags & kCentred ? ES_CENTER : ES_LEFT);
  if (flags & kMultiLine) {
    style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL;
  } else {
    style |= ES_AUTOHSCROLL;
  }
  if (flags & kReadOnly) style |= ES_READONLY;
  const DWORD exStyle = flags & kSunken ? WS_EX_CLIENTEDGE : 0;
  c.control.part = EditPart{};
  c.control.hwnd =
      c.Make(exStyle, L"EDIT", L"", style | (flags & kSunken ? 0 : WS_BORDER), c.Height());
  SendMessageW(c.control.hwnd, EM_SETLIMITTEXT, 0, 0);  // no 30000-character limit
  if (!c.row.detail.empty() && !(flags & kMultiLine)) {
    const std::wstring hint = WideFromUtf8(c.row.detail);
    SendMessageW(c.control.hwnd, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(hint.c_str()));
  }
  ++c.settingText;
  SetWindowTextW(c.control.hwnd, c.text.c_str());
  --c.settingText;
}

void MakeLabel(NewControl& c) {
  const bool transparent = c.row.kind == Kind::kTransparentLabel;
  c.control.hwnd = c.Make(
      transparent ? WS_EX_TRANSPARENT : 0, L"STATIC", c.text,
      SS_NOPREFIX | SS_CENTERIMAGE | (c.Flags() & kCentred ? SS_CENTER : SS_LEFT), c.Height());
}

void MakeButton(NewControl& c) {
  DWORD style = BS_OWNERDRAW;
  if (c.Flags() & kPlain) style = c.Flags() & kDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  c.control.hwnd = c.Make(0, L"BUTTON", c.text, WS_TABSTOP | style, c.Height());
}

void MakePreview(NewControl& c) {
  c.control.hwnd = c.Make(0, L"STATIC", c.text, SS_NOPREFIX | SS_ENDELLIPSIS, c.Height());
}

void MakeSpin(NewControl& c) {
  c.control.hwnd =
      c.Make(WS_EX_CLIENTEDGE, L"EDIT", c.text, WS_TABSTOP | ES_NUMBER | ES_RIGHT, c.Height());
  SpinPart spin;
  spin.arrows =
      CreateWindowExW(0, UPDOWN_CLASSW, L"",
                      WS_CHILD | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                      0, 0, 0, 0, c.container, nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(spin.arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(c.control.hwnd), 0);
  SendMessageW(spin.arrows, UDM_SETRANGE32, c.row.range.least, c.row.range.most);
  ++c.settingText;
  SendMessageW(spin.arrows, UDM_SETPOS32, 0, ToInteger(GbkFromUtf8(c.row.text)));
  --c.settingText;
  c.control.part = spin;
}

// The widths of a check list's columns at a DPI: a stretching column takes what the others
// and the scroll bar leave.
std::vector<int> ColumnWidths(std::span<const Column> columns, int listWidth, int dpi) {
  int others = MetricAt(SM_CXVSCROLL, dpi) + Scaled(4, dpi);
  for (const Column& column : columns) others += column.stretch ? 0 : Scaled(column.width, dpi);
  std::vector<int> widths;
  for (const Column& column : columns) {
    const int width = Scaled(column.width, dpi);
    widths.push_back(column.stretch ? std::max(width, listWidth - others) : width);
  }
  return widths;
}

// The display area of a tab control, where its pages' windows go, in the coordinates of the
// top-level window.
RECT PageArea(HWND tabs, HWND top) {
  RECT area;
  GetClientRect(tabs, &area);
  SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  MapWindowPoints(tabs, top, reinterpret_cast<POINT*>(&area), 2);
  return area;
}

void MakeCheckList(NewControl& c) {
  // The rows are the program's (owner data): the list asks for the texts and the tick of
  // each row in sight.
  const bool boxes = !(c.Flags() & kNoBoxes);
  c.control.part = ListPart{};
  HWND list = c.control.hwnd = c.Make(0, WC_LISTVIEWW, L"",
                                      WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS |
                                          WS_BORDER | (boxes ? 0 : LVS_SINGLESEL),
                                      c.Height());
  ListView_SetExtendedListViewStyle(
      list, (boxes ? LVS_EX_CHECKBOXES : 0) | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  if (boxes) ListView_SetCallbackMask(list, LVIS_STATEIMAGEMASK);
  const auto& columns = c.row.columns;
  c.control.As<ListPart>().columns = columns;
  const std::vector<int> widths = ColumnWidths(columns, c.width, c.dpi);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const Column& described = columns[i];
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = described.right ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = widths[i];
    std::wstring title = WideFromUtf8(described.title);
    column.pszText = title.data();
    ListView_InsertColumn(list, static_cast<int>(i), &column);
  }
}

void MakeGroupBox(NewControl& c) {
  c.control.hwnd =
      c.Make(WS_EX_TRANSPARENT, L"BUTTON", c.Flags() & kNoCaption ? std::wstring() : c.text,
             BS_GROUPBOX, c.Height());
}

void MakeRadio(NewControl& c) {
  c.control.hwnd = c.Make(0, L"BUTTON", c.text, WS_TABSTOP | BS_RADIOBUTTON, c.Height());
  SendMessageW(c.control.hwnd, BM_SETCHECK, c.control.checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void MakeDropDown(NewControl& c) {
  c.control.hwnd =
      c.Make(0, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, c.Height());
  for (const std::string_view item : c.row.items) {
    const std::wstring wide = WideFromUtf8Literal(item);
    SendMessageW(c.control.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  }
  SendMessageW(c.control.hwnd, CB_SETCURSEL, 0, 0);
}

void MakeTabControl(NewControl& c) {
  c.control.part = TabsPart{};
  c.control.hwnd = c.Make(0, WC_TABCONTROLW, L"", WS_TABSTOP, c.Height());
}

void MakeTabPage(NewControl& c) {
  TabsPart& tabs = c.tabs->As<TabsPart>();
  const int index = static_cast<int>(tabs.pages.size());
  c.control.part = PagePart{index};
  tabs.pages.push_back(c.control.name);
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  std::wstring caption = c.text;
  item.pszText = caption.data();
  SendMessageW(c.tabs->hwnd, TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(&item));
  if (c.Flags() & kSelected) tabs.shown = index;
  // The page's window covers the tab control's display area.
  const RECT area = PageArea(c.tabs->hwnd, c.top);
  c.control.hwnd =
      CreateWindowExW(WS_EX_CONTROLPARENT, kPageClass, L"", WS_CHILD | WS_CLIPSIBLINGS, area.left,
                      area.top, area.right - area.left, area.bottom - area.top, c.top,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.control.id)),
                      GetModuleHandleW(nullptr), nullptr);
}

void MakeWebView(NewControl& c) {
  c.control.part = WebPart{GbkFromUtf8(c.row.text)};
  c.control.hwnd = c.Make(0, L"EDIT", PlainTextOfPage(c.text),
                          ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, c.Height());
}

void MakeDriveList(NewControl& c) {
  c.control.hwnd =
      c.Make(0, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, c.Height());
  DrivesPart part{LogicalDrives()};
  wchar_t current[MAX_PATH] = L"";
  GetCurrentDirectoryW(MAX_PATH, current);
  int selected = 0;
  for (std::size_t i = 0; i < part.drives.size(); ++i) {
    const Win32Drive& drive = part.drives[i];
    SendMessageW(c.control.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive.item.c_str()));
    if (towupper(current[0]) == drive.root[0]) selected = static_cast<int>(i);
  }
  SendMessageW(c.control.hwnd, CB_SETCURSEL, selected, 0);
  c.control.part = std::move(part);
}

void MakeFolderTree(NewControl& c) {
  c.control.part = TreePart{};
  c.control.hwnd =
      c.Make(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
             WS_TABSTOP | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS, c.Height());
  if (!c.folderImages) c.folderImages = MakeFolderImages();
  SendMessageW(c.control.hwnd, TVM_SETIMAGELIST, TVSIL_NORMAL,
               reinterpret_cast<LPARAM>(c.folderImages));
}

// The factory of each kind, in the order of Kind; the file dialog component has no
// window (the toolkit keeps its settings).
using Factory = void (*)(NewControl&);
Factory FactoryOf(Kind kind) {
  switch (kind) {
    case Kind::kEdit:
      return MakeEdit;
    case Kind::kLabel:
    case Kind::kTransparentLabel:
      return MakeLabel;
    case Kind::kButton:
      return MakeButton;
    case Kind::kGroupBox:
      return MakeGroupBox;
    case Kind::kRadio:
      return MakeRadio;
    case Kind::kDropDown:
      return MakeDropDown;
    case Kind::kTabControl:
      return MakeTabControl;
    case Kind::kTabPage:
      return MakeTabPage;
    case Kind::kWebView:
      return MakeWebView;
    case Kind::kFileDialog:
      return nullptr;
    case Kind::kDriveList:
      return MakeDriveList;
    case Kind::kFolderTree:
      return MakeFolderTree;
    case Kind::kCheckList:
      return MakeCheckList;
    case Kind::kPreview:
      return MakePreview;
    case Kind::kSpin:
      return MakeSpin;
  }
  return nullptr;
}

}  // namespace

void FitDroppedWidth(HWND combo, int dpi) {
  HDC dc = GetDC(combo);
  if (!dc) return;
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(combo, WM_GETFONT, 0, 0)));
  int widest = 0;
  const auto count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const auto length = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
    if (length <= 0) continue;
    std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
    SIZE extent{};
    GetTextExtentPoint32W(dc, item.c_str(), static_cast<int>(length), &extent);
    widest = std::max<int>(widest, extent.cx);
  }
  SelectObject(dc, old);
  ReleaseDC(combo, dc);
  // The item's margins, the list's border and its scroll bar. A list narrower than its
  // box is drawn as wide as the box.
  const int width =
      widest + Scaled(8, dpi) + 2 * MetricAt(SM_CXEDGE, dpi) + MetricAt(SM_CXVSCROLL, dpi);
  SendMessageW(combo, CB_SETDROPPEDWIDTH, width, 0);
}

ControlPlace Win32Toolkit::PlaceOf(const Control& control, const TopWindow& top) const {
  ControlPlace place;
  place.container = top.hwnd;
  POINT containerOrigin{0, 0};
  for (std::string up = control.parent; !up.empty();) {
    const Control& ancestor = *controls_.at(up);
    if (ancestor.kind == Kind::kTabPage) {
      place.container = ancestor.hwnd;
      RECT r;
      GetWindowRect(place.container, &r);
      MapWindowPoints(nullptr, top.hwnd, reinterpret_cast<POINT*>(&r), 2);
      containerOrigin = {r.left, r.top};
      break;
    }
    up = ancestor.parent;
  }
  // The place in the window is scaled as a whole, so that neighbours keep their gaps.
  const POINT at = Origin(control);
  place.x = Scaled(at.x, top.dpi) - containerOrigin.x;
  place.y = Scaled(at.y, top.dpi) - containerOrigin.y;
  place.width = Scaled(control.place.width, top.dpi);
  place.height = Scaled(control.place.height, top.dpi);
  // A list's height is the box and its dropped-down part.
  if (control.kind == Kind::kDropDown) place.height = std::max(place.height, Scaled(80, top.dpi));
  if (control.kind == Kind::kDriveList) place.height = Scaled(240, top.dpi);
  return place;
}

void Win32Toolkit::LayOut(TopWindow& top, int dpi) {
  top.dpi = dpi;
  // In the order of the rows: a tab control is placed before its pages, a page before what
  // it holds.
  for (const std::string& name : top.controls) {
    Control& control = *controls_.at(name);
    if (!control.hwnd) continue;
    SendMessageW(control.hwnd, WM_SETFONT,
                 reinterpret_cast<WPARAM>(FontFor(control.look.font, dpi)), FALSE);
    if (control.kind == Kind::kTabPage) {
      const RECT area = PageArea(Find(control.parent).hwnd, top.hwnd);
      SetWindowPos(control.hwnd, nullptr, area.left, area.top, area.right - area.left,
                   area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
      continue;
    }
    const ControlPlace place = PlaceOf(control, top);
    SetWindowPos(control.hwnd, nullptr, place.x, place.y, place.width, place.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (HWND arrows = control.Arrows()) {
      // The arrows take their place at the box's right again.
      SendMessageW(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(control.hwnd), 0);
    }
    if (control.kind == Kind::kCheckList) {
      const std::vector<int> widths =
          ColumnWidths(control.As<ListPart>().columns, place.width, dpi);
      for (std::size_t i = 0; i < widths.size(); ++i) {
        ListView_SetColumnWidth(control.hwnd, static_cast<int>(i), widths[i]);
      }
    }
    if (control.kind == Kind::kDropDown || control.kind == Kind::kDriveList) {
      FitDroppedWidth(control.hwnd, dpi);
    }
  }
  RedrawWindow(top.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Win32Toolkit::Build(const ControlRow& row, TopWindow& top) {
  auto owned = std::make_unique<Control>();
  Control& control = *owned;
  control.name = std::string(row.name);
  control.window = top.name;
  control.parent = std::string(row.parent);
  control.kind = row.kind;
  control.look = row.look;
  control.place = row.place;
  control.shown = row.visible;
  control.checked = (row.look.flags & kChecked) != 0;
  control.drop = row.drop;
  control.id = top.nextId++;
  if (controls_.count(control.name)) {
    throw std::logic_error("control " + control.name + " described twice");
  }
  controls_[control.name] = std::move(owned);
  top.controls.push_back(control.name);

  if (row.kind == Kind::kFileDialog) {
    FileDialogSettings& settings = dialogs_[control.name];
    settings.filter = DialogFilter(row.filters);
    settings.initialFolder = WideFromUtf8Literal(row.detail);
    settings.save = (row.look.flags & kSaveAs) != 0;
    return;  // no window of its own
  }

  const ControlPlace place = PlaceOf(control, top);
  NewControl made{row,
                  control,
                  top.hwnd,
                  place.container,
                  place.x,
                  place.y,
                  place.width,
                  place.height,
                  top.dpi,
                  WideFromUtf8Literal(row.text),
                  settingText_,
                  folderImages_,
                  row.kind == Kind::kTabPage ? &Find(control.parent) : nullptr};
  if (const Factory factory = FactoryOf(row.kind)) factory(made);
  if (control.hwnd) {
    SendMessageW(control.hwnd, WM_SETFONT,
                 reinterpret_cast<WPARAM>(FontFor(row.look.font, top.dpi)), FALSE);
    if (row.kind == Kind::kDropDown || row.kind == Kind::kDriveList) {
      FitDroppedWidth(control.hwnd, top.dpi);
    }
    ApplyStyle(control.hwnd);
    if (row.look.flags & kDisabled) {
      EnableWindow(control.hwnd, FALSE);
      if (HWND arrows = control.Arrows()) EnableWindow(arrows, FALSE);
    }
  }
  if (row.look.background != kNoColour) {
    control.brush = CreateSolidBrush(Colour(row.look.background));
  }
}

}  // namespace morvane::ui
