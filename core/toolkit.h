// SPDX-License-Identifier: MIT
#pragma once
// The toolkit interface: how handlers reach windows, controls and dialogs.
//
// Handlers address every control by its typed handle (core/control_handles.h), whose name
// is the one the window descriptions give it, and never see the window toolkit itself. The Qt layer
// implements this interface for the desktop program; tests use an in-memory implementation.
//
// Dispatch rule: SetText on an edit box fires the box's content-changed routine exactly
// once, nested inside the call, after the new text is in place, also when the text is
// unchanged. Typing fires it after each change. Nothing else fires it.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/byte_text.h"
#include "core/control_handles.h"
#include "core/encoding.h"
#include "core/long_work.h"
#include "core/path.h"

namespace morvane {

enum class Event {
  kCreated,         // a window: creation completed
  kClicked,         // an owner-drawn button or a radio button
  kContentChanged,  // an edit box
  kItemSelected,    // a drop-down list
  kDriveChanged,    // the drive list
  kFolderChanged,   // the folder tree
  kDropped,         // a control that takes drops: files or a folder were dropped on it
  kTicked,          // a check list: the user ticked or unticked a row
  kEntered,         // a one-line edit box: Enter was pressed in it
  kRowChosen,       // a check list: the user moved to another row (CurrentRow)
};

// The rows of a check list, held by the program: the toolkit asks for the rows in sight
// only, so a list of a hundred thousand rows costs what ten do.
class TableRows {
 public:
  virtual ~TableRows() = default;
  virtual int Count() const = 0;
  // A cell's text (UTF-8); column 0 is the check box's.
  virtual std::string Cell(int row, int column) const = 0;
  // A row that stands out (the list shades it).
  virtual bool Marked(int row) const = 0;
  // What a cell says when the pointer rests on it, where the toolkit shows such tips.
  virtual std::string Tip(int row, int column) const { return Cell(row, column); }
};

using Routine = std::function<void()>;

// ShowMessageBox's flag and answers, in the interface's own terms: each toolkit turns them
// into its system's buttons and back.
inline constexpr int kYesNo = 1;  // 是 and 否 in place of 确定, 否 the default
inline constexpr int kAnswerYes = 1;
inline constexpr int kAnswerNo = 2;

class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // Controls of the open windows, by handle. A control not open is a programming error.
  virtual ByteText Text(TextControl control) const = 0;
  virtual void SetText(TextControl control, const ByteText& text) = 0;
  // TextLength(Text(control)); a toolkit that knows the length of a large text without
  // assembling it says so here, for routines that run on every keystroke.
  virtual int TextLength(TextControl control) const { return morvane::TextLength(Text(control)); }
  virtual bool Visible(AnyControl control) const = 0;
  virtual void SetVisible(AnyControl control, bool visible) = 0;
  virtual bool Checked(RadioButton control) const = 0;
  virtual void SetChecked(RadioButton control, bool checked) = 0;
  // Drop-down lists: the selected item's 0-based index, and an item's text (the empty
  // text for an index outside the list).
  virtual int SelectedIndex(ListControl control) const = 0;
  virtual ByteText ComboItemText(ListControl control, int index) const = 0;
  // Replaces the text of an item (0-based) that the list has; the selection stays. Selecting
  // an item from a handler is SetText with the item's text.
  virtual void SetComboItemText(DropDown control, int index, const ByteText& text) = 0;
  // An edit box: empties it (its content-changed routine does not run) and sets the
  // encoding of the bytes it is given and gives back from now on, in which it shows them
  // and steps, takes typed text and copies characters (GBK at start). SetText then gives
  // it a text of that encoding; a one-line box in UTF-8 takes every character typed.
  virtual void SetTextEncoding(EditBox control, Encoding encoding) = 0;
  // Puts text into a multi-line edit box as an edit of the user's, which undo takes back
  // (a toolkit without undo sets it as SetText does).
  virtual void ReplaceTextAsEdit(EditBox control, const ByteText& text) {
    SetText(control, text);
  }
  // The same with a text of another encoding: undo takes back the encoding with the text
  // (a toolkit without undo sets both as SetTextEncoding and SetText do).
  virtual void ReplaceTextAsEdit(EditBox control, const ByteText& text,
                                 Encoding encoding) {
    SetTextEncoding(control, encoding);
    SetText(control, text);
  }
  // The encoding of an edit box's text now, where an undo may have changed it; nothing
  // where only SetTextEncoding changes it.
  virtual std::optional<Encoding> TextEncodingNow(EditBox control) const {
    (void)control;
    return std::nullopt;
  }

  // The desktop's settings, kept from one run to the next where the toolkit can (UTF-8
  // values by key); this default keeps them for the run only.
  virtual std::string Setting(std::string_view key) const;
  virtual void SetSetting(std::string_view key, const std::string& value);

  // A task-modal box with an OK button; flags 0 means no icon. Content and caption are
  // UTF-8, so that a file name shows every character it has. Returns the button
  // pressed (OK is 0). With kYesNo it asks: 是 and 否, answered kAnswerYes or kAnswerNo.
  // An empty caption is the toolkit's own for a box given none.
  virtual int ShowMessageBox(const std::string& content, int flags, const std::string& caption) = 0;
  int ShowMessageBox(const std::string& content) { return ShowMessageBox(content, 0, {}); }

  // The message that ends a writing operation that wrote into folder: a message box
  // that may also offer to show the folder in the desktop's file manager.
  virtual void ShowCompletion(const std::string& content, const std::string& caption,
                              const Path& folder) {
    (void)folder;
    ShowMessageBox(content, 0, caption);
  }

  // Runs the open-file dialog of a file dialog component; true when a file was chosen,
  // whose full path (the file system's bytes) is then DialogFileName(component).
  virtual bool ShowFileDialog(FileDialog component) = 0;
  virtual Path DialogFileName(FileDialog component) const = 0;

  // Paths travel as the file system's bytes and are decoded only to be shown. SetPath
  // shows a path's display name in a box (or opens it in a folder tree) and keeps the
  // bytes; PathIn gives them back while the box still shows that name, and nothing once
  // the text was changed or when no path was set: the caller then reads the text as a
  // typed name. A folder tree or drive list gives the folder it shows.
  virtual void SetPath(PathControl control, const Path& path);
  virtual std::optional<Path> PathIn(PathControl control) const;
  // The name a box holds: PathIn while the box shows a path set there, else its text
  // read as a typed name (PathFromTyped). A toolkit whose boxes hold more characters than
  // GBK (an emoji, say) gives them all, so that a typed name is the one the command line
  // would be given.
  virtual TypedName TypedPathIn(PathControl control) const;

  // Opens a window over its parent; modal runs a nested loop until it is closed.
  virtual bool LoadWindow(Window window, Window parent, bool modal) = 0;
  // Closes an open window (a modal one's LoadWindow then returns).
  virtual void CloseWindow(Window window) = 0;

  // Whether a control takes input.
  virtual bool Enabled(AnyControl control) const = 0;
  virtual void SetEnabled(AnyControl control, bool enabled) = 0;
  // Gives a control the keyboard focus.
  virtual void Focus(AnyControl control) = 0;
  // Brings a tab page to the front, as a click on its tab does.
  virtual void ShowPage(TabPage page) = 0;

  // A check list: its rows, each ticked unless ticks says otherwise (ticks may be
  // shorter), and the ticks as the user left them.
  virtual void SetRows(CheckList list, std::shared_ptr<const TableRows> rows,
                       const std::vector<bool>& ticks) = 0;
  virtual std::vector<bool> Ticks(CheckList list) const = 0;
  // The row of a check list the user is on (-1: none, as after SetRows); setting it
  // selects it, brings it into sight and runs no routine.
  virtual int CurrentRow(CheckList list) const = 0;
  virtual void SetCurrentRow(CheckList list, int row) = 0;

  // What the last drop on a control brought, in natural order (第2章 before 第10章),
  // no more than its row takes.
  virtual std::vector<Path> DroppedPaths(DropTarget control) const = 0;
  // The next ShowFileDialog of component returns path at once, as if the user had chosen
  // it there (a file dropped on a page).
  virtual void ChooseWithoutDialog(FileDialog component, const Path& path) = 0;

  // 1..3 switch the program-wide control look on, anything else off.
  virtual bool SetControlStyle(int style) = 0;

  // Runs job, which may take long, and returns when it has ended. The desktop program
  // runs it off the window's thread, keeps the windows painting but deaf to input, and
  // after a moment shows a progress window with a 取消 button; so the job must not touch
  // controls or anything the window's thread touches meanwhile. This default runs it
  // here, to its end.
  virtual void RunLongWork(const WorkSize& size, const Job& job) {
    (void)size;
    NoProgress progress;
    job(progress);
  }

  // Binds a control's (or a window's) event to a routine; one routine per event.
  virtual void Bind(EventSource control, Event event, Routine routine) = 0;

 private:
  // A box's path is its text, as the defaults above keep it.
  static TextControl TextOf(PathControl control) { return {control.name(), control.kind()}; }

  // For each box given a path: the text shown for it, and the path.
  std::map<std::string, std::pair<ByteText, Path>, std::less<>> shownPaths_;
  std::map<std::string, std::string, std::less<>> settings_;
};

}  // namespace morvane
