// SPDX-License-Identifier: MIT
#pragma once
// Typed handles of controls and windows: the code reaches a control of a window
// description through a constant of the kind of control it is, so that a misspelt control
// or an operation the control has not (the ticks of an edit box, rows of a button) fails
// to build. The names themselves stay data: a handle is the name a window description
// gives the control, and every toolkit looks the control up by it.
//
// The handles of the program's controls are declared beside their names
// (presenters/control_names.h); the toolkit's operations (core/toolkit.h) take the handle
// types below.

#include <string_view>

namespace morvane {

class Toolkit;

// The kinds of control a window description builds.
enum class ControlKind {
  kEdit,              // edit box (single-line unless kMultiLine)
  kLabel,             // static text, vertically centred
  kTransparentLabel,  // static text without a background
  kButton,            // owner-drawn push button in the beige tones
  kGroupBox,          // captioned frame, parent of its rows
  kRadio,             // radio button; checks itself when clicked
  kDropDown,          // drop-down list that cannot be typed into; its items are the row's
  kTabControl,        // page tabs; its pages are kTabPage rows in order
  kTabPage,           // one page of a tab control; text is the page caption
  kWebView,           // a local panel of our own; text is its (HTML) content
  kFileDialog,        // invisible open-file dialog component; its filters are the row's
  kDriveList,         // the mounted volumes a user would save to
  kFolderTree,        // the folder tree of the save-location window
  kCheckList,         // a table of rows with a check box each, the rows held by the program
                      // and asked for as they come into sight (a hundred thousand stay fast);
                      // its columns are the row's columns; look.background shades the rows
                      // the program marks, look.textColour greys the unticked ones
  kPreview,           // one line of read-only text the program rewrites, cut short with "…"
  kSpin,              // a number box with arrows, within the row's range
};

// A control of kind K, by the name its window description gives it. It reads as that name
// where a row of a description wants one.
template <ControlKind K>
class Control {
 public:
  static constexpr ControlKind kKind = K;
  explicit constexpr Control(std::string_view name) : name_(name) {}
  constexpr std::string_view name() const { return name_; }
  constexpr operator std::string_view() const { return name_; }

 private:
  std::string_view name_;
};

using EditBox = Control<ControlKind::kEdit>;
using Label = Control<ControlKind::kLabel>;
using Button = Control<ControlKind::kButton>;
using RadioButton = Control<ControlKind::kRadio>;
using DropDown = Control<ControlKind::kDropDown>;
using TabPage = Control<ControlKind::kTabPage>;
using FileDialog = Control<ControlKind::kFileDialog>;
using DriveList = Control<ControlKind::kDriveList>;
using FolderTree = Control<ControlKind::kFolderTree>;
using CheckList = Control<ControlKind::kCheckList>;
using Preview = Control<ControlKind::kPreview>;
using SpinBox = Control<ControlKind::kSpin>;

// A window, by the name of its description.
class Window {
 public:
  explicit constexpr Window(std::string_view name) : name_(name) {}
  constexpr std::string_view name() const { return name_; }
  constexpr operator std::string_view() const { return name_; }

 private:
  std::string_view name_;
};

namespace detail {
template <ControlKind... Ks>
constexpr bool Among(ControlKind kind) {
  return ((kind == Ks) || ...);
}
}  // namespace detail

// An operation's parameter: a control of one of the kinds Ks, which the operation takes.
// It keeps the handle's kind, so that a toolkit can check it against the control it finds.
template <ControlKind... Ks>
class ControlOf {
 public:
  template <ControlKind K>
  requires((K == Ks) || ...) constexpr ControlOf(Control<K> control)
      : name_(control.name()), kind_(K) {}
  // From a parameter whose kinds are all among these (an edit box's path to its text).
  template <ControlKind... Others>
  requires((detail::Among<Ks...>(Others) && ...)) constexpr ControlOf(ControlOf<Others...> control)
      : name_(control.name()), kind_(control.kind()) {}

  constexpr std::string_view name() const { return name_; }
  constexpr ControlKind kind() const { return kind_; }
  // The toolkits look controls up by name.
  constexpr operator std::string_view() const { return name_; }

 private:
  // The toolkit's own defaults pass a control on to an operation of another kind set
  // (a path's box to its text).
  friend class Toolkit;
  constexpr ControlOf(std::string_view name, ControlKind kind) : name_(name), kind_(kind) {}

  std::string_view name_;
  ControlKind kind_;
};

// Any control: visibility, enabling and focus are every control's.
class AnyControl {
 public:
  template <ControlKind K>
  constexpr AnyControl(Control<K> control) : name_(control.name()), kind_(K) {}
  template <ControlKind... Ks>
  constexpr AnyControl(ControlOf<Ks...> control) : name_(control.name()), kind_(control.kind()) {}

  constexpr std::string_view name() const { return name_; }
  constexpr ControlKind kind() const { return kind_; }
  constexpr operator std::string_view() const { return name_; }

 private:
  std::string_view name_;
  ControlKind kind_;
};

// What a routine is bound to: a control or a window (its creation).
class EventSource {
 public:
  template <ControlKind K>
  constexpr EventSource(Control<K> control) : name_(control.name()) {}
  template <ControlKind... Ks>
  constexpr EventSource(ControlOf<Ks...> control) : name_(control.name()) {}
  constexpr EventSource(AnyControl control) : name_(control.name()) {}
  constexpr EventSource(Window window) : name_(window.name()) {}

  constexpr std::string_view name() const { return name_; }
  constexpr operator std::string_view() const { return name_; }

 private:
  std::string_view name_;
};

// The controls that have a text: a box's, a caption, a list's selected item, a folder's
// name. Check lists, file dialogs and the tab strip have none.
using TextControl = ControlOf<ControlKind::kEdit, ControlKind::kLabel,
                              ControlKind::kTransparentLabel, ControlKind::kButton,
                              ControlKind::kGroupBox, ControlKind::kRadio, ControlKind::kDropDown,
                              ControlKind::kTabPage, ControlKind::kWebView, ControlKind::kDriveList,
                              ControlKind::kFolderTree, ControlKind::kPreview, ControlKind::kSpin>;
// The controls that hold a path: an edit box, the folder tree, the drive list, and a file
// dialog (the name it offers first).
using PathControl = ControlOf<ControlKind::kEdit, ControlKind::kFolderTree, ControlKind::kDriveList,
                              ControlKind::kFileDialog>;
// The lists a user picks an item of: a drop-down list, the drive list.
using ListControl = ControlOf<ControlKind::kDropDown, ControlKind::kDriveList>;
// The controls files can be dropped on: a page, an edit box, a check list.
using DropTarget = ControlOf<ControlKind::kTabPage, ControlKind::kEdit, ControlKind::kCheckList>;

}  // namespace morvane
