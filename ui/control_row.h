#pragma once
// Window descriptions: one row per control, the way a reader lays them next to the
// design tables. The window layer builds a window from its rows and nothing else.
//
// Texts in the rows are UTF-8 source literals; the layer turns them into GBK byte texts
// when it builds the window, so handlers only ever see GBK.

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

class QIcon;

namespace morvane::ui {

enum class Kind {
  kEdit,              // edit box (single-line unless kMultiLine)
  kLabel,             // static text, vertically centred
  kTransparentLabel,  // static text without a background
  kButton,            // owner-drawn push button in the beige tones
  kGroupBox,          // captioned frame, parent of its rows
  kRadio,             // radio button; checks itself when clicked
  kDropDown,          // drop-down list that cannot be typed into; items in the text, '|'-separated
  kTabControl,        // page tabs; its pages are kTabPage rows in order
  kTabPage,           // one page of a tab control; text is the page caption
  kWebView,           // a local panel of our own; text is its (HTML) content
  kFileDialog,        // invisible open-file dialog component
  kDriveList,         // the mounted volumes a user would save to
  kFolderTree,        // the folder tree of the save-location window
};

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

inline constexpr bool kShown = true;
inline constexpr bool kHidden = false;

struct ControlRow {
  std::string_view name;
  Kind kind;
  std::string_view parent;  // empty: the window's client area
  Geometry place;           // relative to the parent (a tab page counts from its tab control)
  std::string_view text;    // initial text, UTF-8
  bool visible = kShown;
  Look look{};
  std::string_view detail{};  // a file dialog's initial folder
};

enum class Frame {
  kMain,        // fixed size, minimise box, taskbar button
  kToolWindow,  // fixed size, narrow title bar, close box only
};

struct WindowDescription {
  std::string_view name;
  std::string_view caption;  // UTF-8
  int outerWidth = 0;        // frame included
  int outerHeight = 0;
  Frame frame = Frame::kMain;
  std::function<QIcon()> icon;  // may be empty
  std::span<const ControlRow> controls;
};

}  // namespace morvane::ui
