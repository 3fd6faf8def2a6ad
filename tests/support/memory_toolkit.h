// SPDX-License-Identifier: MIT
#pragma once
// An in-memory toolkit for tests: the controls of the program's windows built from their
// descriptions, as the Qt and Win32 toolkits build them (the main and the save-location
// window exist from the start, a dialog such as the chapter map is built each time it is
// loaded, when its creation routine runs); message boxes recorded instead of shown, file
// dialogs that answer from a script, and the dispatch rule of the real one (SetText on an
// edit box runs its content-changed routine once, nested, also for an unchanged text).
//
// Handlers run against it exactly as against the Qt layer; a test plays the user with
// Type, Click, Select and ChooseFile, and reads what happened from the controls and
// messages().

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/byte_text.h"
#include "core/toolkit.h"
#include "ui/control_row.h"

namespace morvane::testing {

class MemoryToolkit : public Toolkit {
 public:
  struct Message {
    std::string content;  // UTF-8, as the toolkit is given it
    int flags = 0;
    std::string caption;
  };

  // The program's windows (app/windows.h).
  MemoryToolkit();
  explicit MemoryToolkit(const std::vector<ui::WindowDescription>& windows);

  // Toolkit. An unknown control name throws std::out_of_range.
  ByteText Text(TextControl control) const override;
  void SetText(TextControl control, const ByteText& text) override;
  bool Visible(AnyControl control) const override;
  void SetVisible(AnyControl control, bool visible) override;
  bool Checked(RadioButton control) const override;
  void SetChecked(RadioButton control, bool checked) override;
  int SelectedIndex(ListControl control) const override;
  ByteText ComboItemText(ListControl control, int index) const override;
  void SetComboItemText(DropDown control, int index, const ByteText& text) override;
  void SetTextEncoding(EditBox control, Encoding encoding) override;
  // What SetTextEncoding last gave an edit box (GBK at start).
  Encoding TextEncoding(std::string_view control) const { return At(control).encoding; }
  using Toolkit::ShowMessageBox;
  int ShowMessageBox(const std::string& content, int flags, const std::string& caption) override;
  bool ShowFileDialog(FileDialog component) override;
  Path DialogFileName(FileDialog component) const override;
  bool LoadWindow(Window window, Window parent, bool modal) override;
  void CloseWindow(Window window) override;
  bool Enabled(AnyControl control) const override;
  void SetEnabled(AnyControl control, bool enabled) override;
  void Focus(AnyControl control) override;
  // Notes the page as the one shown (ShownPage()).
  void ShowPage(TabPage page) override;
  const std::string& ShownPage() const { return shownPage_; }
  void SetRows(CheckList list, std::shared_ptr<const TableRows> rows,
               const std::vector<bool>& ticks) override;
  std::vector<bool> Ticks(CheckList list) const override;
  int CurrentRow(CheckList list) const override;
  void SetCurrentRow(CheckList list, int row) override;
  std::vector<Path> DroppedPaths(DropTarget control) const override;
  void ChooseWithoutDialog(FileDialog component, const Path& path) override;
  void SetPath(PathControl control, const Path& path) override;
  std::optional<Path> PathIn(PathControl control) const override;
  bool SetControlStyle(int style) override;
  void Bind(EventSource control, Event event, Routine routine) override;
  // Runs the job here; the user presses 取消 once it has reported stopAfterFiles files.
  void RunLongWork(const WorkSize& size, const Job& job) override;

  // The user's side.
  // Types text into an edit box: the text changes, then its content-changed routine runs.
  void Type(std::string_view control, const ByteText& text);
  // Clicks a button or a radio button (a radio button checks itself first).
  void Click(std::string_view control);
  // Picks an item of a drop-down list.
  void Select(std::string_view list, int index);
  // The next run of a dialog component picks path, or is cancelled. Without a scripted
  // answer a dialog is cancelled.
  void ChooseFile(std::string_view component, const Path& path);
  // The same for a path written as a GBK text (as typed).
  void ChooseFile(std::string_view component, const ByteText& path);
  void CancelFileDialog(std::string_view component);
  // Ticks or unticks a row of a check list.
  void Tick(std::string_view list, int row);
  // Moves to a row of a check list.
  void ChooseRow(std::string_view list, int row);
  // Drops paths on a control, which takes as many as its row says.
  void Drop(std::string_view control, std::vector<Path> paths);
  // Presses Enter in a one-line edit box.
  void Enter(std::string_view control);
  // Runs inside LoadWindow, while the modal window would be open (a test can pick a
  // folder here, as the save-location window does).
  std::function<void()> whileWindowOpen;
  // The answers to the next questions (message boxes with kYesNo), first to last; a
  // question with none left is answered kAnswerYes.
  std::deque<int> answers;
  // For RunLongWork: stop after this many files (below 0: never), or only jobs made of
  // files (writes, not reads, searches and checks); the sizes every job announced, and
  // the last it reported done.
  std::int64_t stopAfterFiles = -1;
  bool stopOnlyWrites = false;
  std::vector<WorkSize> longWork;
  std::vector<WorkSize> longWorkDone;

  // What the handlers did.
  const std::vector<Message>& messages() const { return messages_; }
  std::vector<Message> TakeMessages();
  int windowsLoaded() const { return windowsLoaded_; }
  // Whether a window loaded is open still (not closed by a handler).
  bool IsOpen(std::string_view window) const { return open_.count(window) > 0; }
  // The control with the keyboard focus, as a handler last gave it.
  const std::string& focus() const { return focus_; }
  // The rows a check list was last given.
  const TableRows* Rows(std::string_view list) const { return At(list).rows.get(); }
  int controlStyle() const { return controlStyle_; }
  // How often SetText or typing fired the content-changed routine of control.
  int ContentChangedCount(std::string_view control) const;

 private:
  struct Control {
    ui::Kind kind = ui::Kind::kLabel;
    ByteText text;
    bool visible = true;
    bool enabled = true;
    bool checked = false;
    std::vector<ByteText> items;
    int selected = -1;
    int contentChanged = 0;
    Encoding encoding = Encoding::kGbk;
    std::shared_ptr<const TableRows> rows;
    std::vector<bool> ticks;
    int currentRow = -1;
    ui::Drop drop;
    std::vector<Path> dropped;
  };
  struct Dialog {
    Path fileName;
    std::deque<std::optional<Path>> answers;
  };

  void Build(const ui::WindowDescription& window);

  Control& At(std::string_view control);
  const Control& At(std::string_view control) const;
  // At, for a handle whose kind must be the control's.
  Control& Typed(AnyControl control);
  const Control& Typed(AnyControl control) const;
  void Fire(std::string_view control, Event event);

  std::map<std::string, ui::WindowDescription, std::less<>> windows_;
  std::set<std::string, std::less<>> open_;
  std::map<std::string, Control, std::less<>> controls_;
  std::string focus_;
  std::string shownPage_;
  std::map<std::string, Dialog, std::less<>> dialogs_;
  std::map<std::pair<std::string, Event>, Routine> routines_;
  std::vector<Message> messages_;
  int windowsLoaded_ = 0;
  int controlStyle_ = 0;
};

}  // namespace morvane::testing
