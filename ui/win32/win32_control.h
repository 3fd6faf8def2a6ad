// SPDX-License-Identifier: MIT
#pragma once
// What the Win32 toolkit keeps of each control and each top-level window it built: the
// fields every control has, and the part of its own kind (the encoding of an edit box,
// the pages of a tab control, the rows of a check list, ...). Internal to ui/win32/.

#include <windows.h>

#include <memory>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "core/byte_text.h"
#include "core/encoding.h"
#include "core/path.h"
#include "core/toolkit.h"
#include "ui/control_row.h"
#include "ui/win32/win32_toolkit.h"

namespace morvane::ui {

// An edit box: the encoding of the bytes it is given and gives back.
struct EditPart {
  Encoding encoding = Encoding::kGbk;
};
// A local page: its content as set (the box shows its text).
struct WebPart {
  ByteText text;
};
// A tab control: its pages in order and the one shown.
struct TabsPart {
  std::vector<std::string> pages;
  int shown = 0;
};
// A tab page: its index among its tab control's pages.
struct PagePart {
  int index = 0;
};
// A drive list: the drives of the items.
struct DrivesPart {
  std::vector<Win32Drive> drives;
};
// A folder tree: the path of the folder last opened or set.
struct TreePart {
  std::wstring value;
};
// A spin box: its arrows (the box itself is the control's window).
struct SpinPart {
  HWND arrows = nullptr;
};
// A check list: its columns as described, its rows and ticks, and the text of the cell
// asked for last.
struct ListPart {
  std::span<const Column> columns;
  std::shared_ptr<const TableRows> rows;
  std::vector<bool> ticks;
  std::wstring cell;
};

struct Win32Toolkit::Control {
  std::string name;
  std::string window;
  std::string parent;
  Kind kind = Kind::kLabel;
  Look look;
  Geometry place;
  HWND hwnd = nullptr;
  int id = 0;
  bool shown = true;
  bool checked = false;
  HBRUSH brush = nullptr;  // the background, when the row names one
  // A drop target: what it takes, and what the last drop brought.
  Drop drop;
  std::vector<Path> dropped;
  std::variant<std::monostate, EditPart, WebPart, TabsPart, PagePart, DrivesPart, TreePart,
               SpinPart, ListPart>
      part;

  // The part of the control's kind; asking a control of another kind is a programming
  // error (std::bad_variant_access).
  template <typename Part>
  Part& As() {
    return std::get<Part>(part);
  }
  template <typename Part>
  const Part& As() const {
    return std::get<Part>(part);
  }
  // A spin box's arrows, else nullptr.
  HWND Arrows() const {
    const auto* spin = std::get_if<SpinPart>(&part);
    return spin ? spin->arrows : nullptr;
  }
};

struct Win32Toolkit::TopWindow {
  Win32Toolkit* toolkit = nullptr;
  std::string name;
  HWND hwnd = nullptr;
  bool main = false;
  std::vector<std::string> controls;
  int nextId = 100;
  HWND focus = nullptr;  // given the focus before the window was shown
  int dpi = 96;          // the DPI its controls are laid out for
  int opened = 0;        // the count of windows built before it and it: later ones stand above
};

// Where a control's window goes at its top-level window's DPI: in the coordinates of the
// window it lives in (the nearest tab page up its chain, else the top-level window).
struct ControlPlace {
  HWND container = nullptr;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// Makes a drop-down list as wide as its longest item in the combo box's font, with room for
// the scroll bar (the closed box keeps its width).
void FitDroppedWidth(HWND combo, int dpi);

// A file dialog's filters as the common dialog takes them: "txt文本\0*.txt\0\0".
std::wstring DialogFilter(std::span<const FileFilter> filters);

// The classes of the program's windows and of the tab pages.
inline constexpr wchar_t kWindowClass[] = L"MorvaneWindow";
inline constexpr wchar_t kPageClass[] = L"MorvanePage";

}  // namespace morvane::ui
