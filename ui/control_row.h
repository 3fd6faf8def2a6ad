// SPDX-License-Identifier: MIT
#pragma once
// Window descriptions: one row per control, the way a reader lays them next to the
// design tables. The window layer builds a window from its rows and nothing else.
//
// Texts in the rows are UTF-8 source literals; the layer turns them into GBK byte texts
// when it builds the window, so handlers only ever see GBK. Every toolkit (Qt, Win32 and
// the tests' in-memory one) builds a window from these rows alone, nothing of a window
// is written by hand.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/control_handles.h"

namespace morvane::ui {

// The kinds of control (core/control_handles.h, where the handles of each kind are).
using Kind = ControlKind;

// Flags of a row.
enum Flag : std::uint32_t {
  kNoFlags = 0,
  kMultiLine = 1u << 0,  // edit box: wrapped lines, vertical scroll bar, Enter breaks the line
  kReadOnly = 1u << 1,   // edit box: cannot be typed into
  kSunken = 1u << 2,     // edit box: 3-D sunken frame instead of the single line
  kCentred = 1u << 3,    // text centred horizontally
  kChecked = 1u << 4,    // radio button: checked at start
  kNoCaption = 1u << 5,  // group box drawn without its caption
  kSelected = 1u << 6,   // tab page: the page shown at start
  kPlain = 1u << 7,      // button: the system's own push button, not the owner-drawn one
  kDefault = 1u << 8,    // button: the one Enter presses
  kDisabled = 1u << 9,   // any control: takes no input at start
  kNoBoxes = 1u << 10,   // check list: no check boxes, a list to choose a row from
  kSaveAs = 1u << 11,    // file dialog: asks for a name to save to, new or to be replaced
};

inline constexpr std::uint32_t kNoColour = 0xFFFFFFFF;

struct Font {
  std::string_view family;  // empty: the default GUI font
  int pixelSize = 0;        // 0: the default size
  bool bold = false;
};

// How a control looks beyond its place and text.
struct Look {
  std::uint32_t flags = kNoFlags;
  Font font{};
  std::uint32_t textColour = kNoColour;  // 0xRRGGBB
  std::uint32_t background = kNoColour;  // 0xRRGGBB
};

struct Geometry {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// A column of a check list. The first column holds the check boxes.
struct Column {
  std::string_view title;  // UTF-8
  int width = 0;
  bool right = false;    // numbers: aligned right
  bool stretch = false;  // takes what the others leave, where the toolkit can
};

// The numbers a spin box takes.
struct Range {
  int least = 0;
  int most = 0;
};

// What a control takes when files are dropped on it from the file manager.
enum class DropKind {
  kNone,
  kFiles,   // one or more regular files
  kFolder,  // exactly one folder
};

struct Drop {
  DropKind kind = DropKind::kNone;
  int most = 0;  // files beyond this many (in natural order) are left out
};

// An entry of a file dialog's list of types: "txt文本" with "*.txt", or several patterns
// joined by ';' ("*.jpg;*.jpeg;*.png").
struct FileFilter {
  std::string_view name;      // UTF-8
  std::string_view patterns;  // ASCII
};

// The patterns of a filter one by one: "*.jpg;*.jpeg" gives *.jpg and *.jpeg.
inline std::vector<std::string_view> PatternsOf(const FileFilter& filter) {
  std::vector<std::string_view> patterns;
  std::string_view rest = filter.patterns;
  for (std::size_t semicolon; (semicolon = rest.find(';')) != std::string_view::npos;) {
    if (semicolon > 0) patterns.push_back(rest.substr(0, semicolon));
    rest.remove_prefix(semicolon + 1);
  }
  if (!rest.empty()) patterns.push_back(rest);
  return patterns;
}

inline constexpr bool kShown = true;
inline constexpr bool kHidden = false;

struct ControlRow {
  std::string_view name;
  Kind kind;
  std::string_view parent{};  // empty: the window's client area
  Geometry place{};           // relative to the parent (a tab page counts from its tab control)
  std::string_view text{};    // initial text, UTF-8
  bool visible = kShown;
  Look look{};
  std::string_view detail{};  // a file dialog's initial folder; an edit box's hint when empty
  Drop drop{};
  std::span<const Column> columns{};          // a check list's
  Range range{};                              // a spin box's
  std::span<const std::string_view> items{};  // a drop-down list's, UTF-8, the first selected
  std::span<const FileFilter> filters{};      // a file dialog's, the first chosen at start
};

// The row of a drop-down list: its items in order.
inline constexpr ControlRow DropDownRow(std::string_view name, std::string_view parent,
                                        Geometry place, std::span<const std::string_view> items,
                                        bool visible = kShown) {
  return {.name = name,
          .kind = Kind::kDropDown,
          .parent = parent,
          .place = place,
          .visible = visible,
          .items = items};
}

// The row of a file dialog component: its filters, its flags (kSaveAs) and the folder it
// opens in first (empty: the system's choice).
inline constexpr ControlRow FileDialogRow(std::string_view name, std::string_view parent,
                                          std::span<const FileFilter> filters,
                                          std::uint32_t flags = kNoFlags,
                                          std::string_view initialFolder = {}) {
  return {.name = name,
          .kind = Kind::kFileDialog,
          .parent = parent,
          .visible = kHidden,
          .look = {.flags = flags},
          .detail = initialFolder,
          .filters = filters};
}

enum class Frame {
  kMain,        // fixed size, minimise box, taskbar button
  kToolWindow,  // fixed size, narrow title bar, close box only
  kDialog,      // fixed size, close box only, modal over its owner
};

enum class WindowIcon {
  kNone,
  kProgram,  // the program's own, which each toolkit makes in its own way
};

struct WindowDescription {
  std::string_view name;
  std::string_view caption;  // UTF-8
  int outerWidth = 0;        // frame included, as Windows draws a main window's
  int outerHeight = 0;
  Frame frame = Frame::kMain;
  WindowIcon icon = WindowIcon::kNone;
  std::span<const ControlRow> controls;
};

// The frame the outer sizes include: a Windows border, and a title bar as high as the
// frame's. The client area is the rest.
inline constexpr int kDesignFrameWidth = 8;
inline constexpr int DesignTitleHeight(Frame frame) {
  return frame == Frame::kToolWindow ? 22 : 34;
}
inline constexpr int ClientWidth(const WindowDescription& window) {
  return window.outerWidth - kDesignFrameWidth;
}
inline constexpr int ClientHeight(const WindowDescription& window) {
  return window.outerHeight - DesignTitleHeight(window.frame);
}

// A dialog of the program's own (its icon, a dialog frame) sized by its client area, which
// is what its rows are laid out in.
inline constexpr WindowDescription ProgramDialog(std::string_view name, std::string_view caption,
                                                 int clientWidth, int clientHeight,
                                                 std::span<const ControlRow> controls) {
  return {
      .name = name,
      .caption = caption,
      .outerWidth = clientWidth + kDesignFrameWidth,
      .outerHeight = clientHeight + DesignTitleHeight(Frame::kDialog),
      .frame = Frame::kDialog,
      .icon = WindowIcon::kProgram,
      .controls = controls,
  };
}

}  // namespace morvane::ui
