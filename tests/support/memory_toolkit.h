#pragma once
// An in-memory toolkit for tests: the controls of the main and the save-location window
// with their initial values, message boxes recorded instead of shown, file dialogs that
// answer from a script, and the dispatch rule of the real one (SetText on an edit box
// runs its content-changed routine once, nested, also for an unchanged text).
//
// Handlers run against it exactly as against the Qt layer; a test plays the user with
// Type, Click, Select and ChooseFile, and reads what happened from the controls and
// messages().

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/byte_text.h"
#include "core/toolkit.h"

namespace morvane::testing {

class MemoryToolkit : public Toolkit {
 public:
  struct Message {
    ByteText content;
    int flags = 0;
    ByteText caption;
  };

  MemoryToolkit();

  // Toolkit. An unknown control name throws std::out_of_range.
  ByteText Text(std::string_view control) const override;
  void SetText(std::string_view control, const ByteText& text) override;
  bool Visible(std::string_view control) const override;
  void SetVisible(std::string_view control, bool visible) override;
  bool Checked(std::string_view control) const override;
  void SetChecked(std::string_view control, bool checked) override;
  int SelectedIndex(std::string_view control) const override;
  ByteText ComboItemText(std::string_view control, int index) const override;
  void SetComboItemText(std::string_view control, int index, const ByteText& text) override;
  void SetTextEncoding(std::string_view control, Encoding encoding) override;
  // What SetTextEncoding last gave an edit box (GBK at start).
  Encoding TextEncoding(std::string_view control) const { return At(control).encoding; }
  using Toolkit::ShowMessageBox;
  int ShowMessageBox(const ByteText& content, int flags, const ByteText& caption) override;
  bool ShowFileDialog(std::string_view component) override;
  Path DialogFileName(std::string_view component) const override;
  bool LoadWindow(std::string_view window, std::string_view parent, bool modal) override;
  bool SetControlStyle(int style) override;
  void Bind(std::string_view control, Event event, Routine routine) override;
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
  int controlStyle() const { return controlStyle_; }
  // How often SetText or typing fired the content-changed routine of control.
  int ContentChangedCount(std::string_view control) const;

 private:
  struct Control {
    ByteText text;
    bool visible = true;
    bool checked = false;
    std::vector<ByteText> items;
    int selected = -1;
    int contentChanged = 0;
    Encoding encoding = Encoding::kGbk;
  };
  struct Dialog {
    Path fileName;
    std::deque<std::optional<Path>> answers;
  };

  Control& At(std::string_view control);
  const Control& At(std::string_view control) const;
  void Fire(std::string_view control, Event event);

  std::map<std::string, Control, std::less<>> controls_;
  std::map<std::string, Dialog, std::less<>> dialogs_;
  std::map<std::pair<std::string, Event>, Routine> routines_;
  std::vector<Message> messages_;
  int windowsLoaded_ = 0;
  int controlStyle_ = 0;
};

}  // namespace morvane::testing
