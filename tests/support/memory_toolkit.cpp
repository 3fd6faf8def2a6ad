// SPDX-License-Identifier: MIT
#include "memory_toolkit.h"

#include <stdexcept>
#include <utility>

#include "app/windows.h"
#include "core/gbk.h"
#include "ui/message_boxes.h"

namespace morvane::testing {
namespace {

ByteText Gbk(std::string_view utf8) {
  return GbkFromUtf8(utf8);
}

}  // namespace

MemoryToolkit::MemoryToolkit() : MemoryToolkit(app::WindowDescriptions()) {}

MemoryToolkit::MemoryToolkit(const std::vector<ui::WindowDescription>& windows) {
  for (const ui::WindowDescription& window : windows) {
    windows_.insert_or_assign(std::string(window.name), window);
    // The main and the save-location window are there from the start, as the handlers
    // find them; a dialog is built when it is loaded.
    if (window.frame != ui::Frame::kDialog) Build(window);
  }
}

void MemoryToolkit::Build(const ui::WindowDescription& window) {
  using enum ControlKind;
  for (const ui::ControlRow& row : window.controls) {
    Control control;
    control.kind = row.kind;
    control.visible = row.visible;
    control.enabled = !(row.look.flags & ui::kDisabled);
    control.checked = (row.look.flags & ui::kChecked) != 0;
    control.drop = row.drop;
    switch (row.kind) {
      case kDropDown: {
        // The first item selected.
        for (const std::string_view item : row.items) control.items.push_back(Gbk(item));
        control.selected = 0;
        break;
      }
      case kFileDialog:
        dialogs_[std::string(row.name)];
        break;
      case kDriveList:
      case kFolderTree:
        break;  // their text is the folder they show
      default:
        control.text = Gbk(row.text);
        break;
    }
    controls_.insert_or_assign(std::string(row.name), std::move(control));
  }
}

MemoryToolkit::Control& MemoryToolkit::At(std::string_view control) {
  auto found = controls_.find(control);
  if (found == controls_.end()) throw std::out_of_range("no control " + std::string(control));
  return found->second;
}

const MemoryToolkit::Control& MemoryToolkit::At(std::string_view control) const {
  return const_cast<MemoryToolkit*>(this)->At(control);
}

MemoryToolkit::Control& MemoryToolkit::Typed(AnyControl control) {
  Control& found = At(control.name());
  // A handle declared of another kind than its row builds: the real toolkits would take the
  // wrong widget for it.
  if (found.kind != control.kind()) {
    throw std::logic_error("control " + std::string(control.name()) +
                           " is not of the kind its handle says");
  }
  return found;
}

const MemoryToolkit::Control& MemoryToolkit::Typed(AnyControl control) const {
  return const_cast<MemoryToolkit*>(this)->Typed(control);
}

void MemoryToolkit::Fire(std::string_view control, Event event) {
  auto found = routines_.find({std::string(control), event});
  if (found == routines_.end()) return;
  // A copy: the routine may rebind while it runs.
  Routine routine = found->second;
  routine();
}

ByteText MemoryToolkit::Text(TextControl control) const {
  return Typed(control).text;
}

void MemoryToolkit::SetText(TextControl control, const ByteText& text) {
  Control& target = Typed(control);
  if (!target.items.empty()) {
    // A drop-down list selects the item of that text, as the Qt layer does.
    for (std::size_t i = 0; i < target.items.size(); ++i) {
      if (target.items[i] == text) target.selected = static_cast<int>(i);
    }
    return;
  }
  target.text = text;
  // Edit boxes only: a spin box set by a handler stays quiet, as in the real toolkits.
  if (target.kind == ui::Kind::kEdit &&
      routines_.count({std::string(control), Event::kContentChanged}) > 0) {
    ++target.contentChanged;
    Fire(control, Event::kContentChanged);
  }
}

bool MemoryToolkit::Visible(AnyControl control) const {
  return Typed(control).visible;
}
void MemoryToolkit::SetVisible(AnyControl control, bool visible) {
  Typed(control).visible = visible;
}
bool MemoryToolkit::Checked(RadioButton control) const {
  return Typed(control).checked;
}
void MemoryToolkit::SetChecked(RadioButton control, bool checked) {
  Typed(control).checked = checked;
}
int MemoryToolkit::SelectedIndex(ListControl control) const {
  return Typed(control).selected;
}

ByteText MemoryToolkit::ComboItemText(ListControl control, int index) const {
  const Control& list = Typed(control);
  if (index < 0 || index >= static_cast<int>(list.items.size())) return ByteText();
  return list.items[static_cast<std::size_t>(index)];
}

void MemoryToolkit::SetComboItemText(DropDown control, int index, const ByteText& text) {
  Control& list = Typed(control);
  if (index >= 0 && index < static_cast<int>(list.items.size())) {
    list.items[static_cast<std::size_t>(index)] = text;
  }
}

void MemoryToolkit::SetTextEncoding(EditBox control, Encoding encoding) {
  Typed(control).text = ByteText();
  Typed(control).encoding = encoding;
}

int MemoryToolkit::ShowMessageBox(const std::string& content, int flags,
                                  const std::string& caption) {
  messages_.push_back({content, flags, ui::CaptionOrDefault(caption)});
  if (!(flags & kYesNo)) return 0;
  if (answers.empty()) return kAnswerYes;
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

bool MemoryToolkit::ShowFileDialog(FileDialog component) {
  auto found = dialogs_.find(component.name());
  if (found == dialogs_.end()) throw std::out_of_range("no dialog " + std::string(component));
  Dialog& dialog = found->second;
  if (dialog.answers.empty()) return false;
  std::optional<Path> answer = std::move(dialog.answers.front());
  dialog.answers.pop_front();
  if (!answer) return false;
  dialog.fileName = *answer;
  return true;
}

Path MemoryToolkit::DialogFileName(FileDialog component) const {
  auto found = dialogs_.find(component.name());
  if (found == dialogs_.end()) throw std::out_of_range("no dialog " + std::string(component));
  return found->second.fileName;
}

bool MemoryToolkit::LoadWindow(Window window, Window, bool) {
  auto described = windows_.find(window.name());
  if (described == windows_.end()) throw std::out_of_range("no window " + std::string(window));
  ++windowsLoaded_;
  open_.emplace(window);
  if (described->second.frame == ui::Frame::kDialog) {
    Build(described->second);
    Fire(window, Event::kCreated);
  }
  if (whileWindowOpen && IsOpen(window)) whileWindowOpen();
  open_.erase(std::string(window));
  return true;
}

void MemoryToolkit::CloseWindow(Window window) {
  open_.erase(std::string(window));
}

bool MemoryToolkit::Enabled(AnyControl control) const {
  return Typed(control).enabled;
}

void MemoryToolkit::SetEnabled(AnyControl control, bool enabled) {
  Typed(control).enabled = enabled;
}

void MemoryToolkit::Focus(AnyControl control) {
  Typed(control);
  focus_ = std::string(control);
}

void MemoryToolkit::ShowPage(TabPage page) {
  Typed(page);
  shownPage_ = std::string(page);
}

void MemoryToolkit::SetRows(CheckList list, std::shared_ptr<const TableRows> rows,
                            const std::vector<bool>& ticks) {
  Control& target = Typed(list);
  target.ticks.assign(rows ? static_cast<std::size_t>(rows->Count()) : 0, true);
  for (std::size_t i = 0; i < ticks.size() && i < target.ticks.size(); ++i) {
    target.ticks[i] = ticks[i];
  }
  target.rows = std::move(rows);
  target.currentRow = -1;
}

int MemoryToolkit::CurrentRow(CheckList list) const {
  return Typed(list).currentRow;
}

void MemoryToolkit::SetCurrentRow(CheckList list, int row) {
  Control& target = Typed(list);
  if (row >= 0 && static_cast<std::size_t>(row) < target.ticks.size()) target.currentRow = row;
}

std::vector<bool> MemoryToolkit::Ticks(CheckList list) const {
  return Typed(list).ticks;
}

std::vector<Path> MemoryToolkit::DroppedPaths(DropTarget control) const {
  return Typed(control).dropped;
}

// As the real toolkits: a file dialog component keeps the path as the file last chosen.
void MemoryToolkit::SetPath(PathControl control, const Path& path) {
  if (control.kind() != ui::Kind::kFileDialog) return Toolkit::SetPath(control, path);
  dialogs_.at(std::string(control.name())).fileName = path;
}

std::optional<Path> MemoryToolkit::PathIn(PathControl control) const {
  if (control.kind() != ui::Kind::kFileDialog) return Toolkit::PathIn(control);
  return DialogFileName(FileDialog(control.name()));
}

void MemoryToolkit::ChooseWithoutDialog(FileDialog component, const Path& path) {
  dialogs_.at(std::string(component)).answers.emplace_front(path);
}

bool MemoryToolkit::SetControlStyle(int style) {
  controlStyle_ = style;
  return true;
}

void MemoryToolkit::Bind(EventSource control, Event event, Routine routine) {
  routines_[{std::string(control), event}] = std::move(routine);
}

void MemoryToolkit::Type(std::string_view control, const ByteText& text) {
  Control& target = At(control);
  target.text = text;
  ++target.contentChanged;
  Fire(control, Event::kContentChanged);
}

void MemoryToolkit::Click(std::string_view control) {
  Control& target = At(control);
  if (!target.enabled) return;
  if (target.kind == ui::Kind::kRadio) target.checked = true;
  Fire(control, Event::kClicked);
}

void MemoryToolkit::Tick(std::string_view list, int row) {
  std::vector<bool>& ticks = At(list).ticks;
  if (row < 0 || static_cast<std::size_t>(row) >= ticks.size()) return;
  ticks[static_cast<std::size_t>(row)] = !ticks[static_cast<std::size_t>(row)];
  Fire(list, Event::kTicked);
}

void MemoryToolkit::ChooseRow(std::string_view list, int row) {
  SetCurrentRow(CheckList(list), row);
  Fire(list, Event::kRowChosen);
}

void MemoryToolkit::Drop(std::string_view control, std::vector<Path> paths) {
  Control& target = At(control);
  if (target.drop.kind == ui::DropKind::kNone) return;
  if (static_cast<int>(paths.size()) > target.drop.most) {
    paths.resize(static_cast<std::size_t>(target.drop.most));
  }
  target.dropped = std::move(paths);
  Fire(control, Event::kDropped);
}

void MemoryToolkit::Enter(std::string_view control) {
  At(control);
  Fire(control, Event::kEntered);
}

void MemoryToolkit::Select(std::string_view list, int index) {
  At(list).selected = index;
  Fire(list, Event::kItemSelected);
}

void MemoryToolkit::ChooseFile(std::string_view component, const Path& path) {
  dialogs_.at(std::string(component)).answers.emplace_back(path);
}

void MemoryToolkit::ChooseFile(std::string_view component, const ByteText& path) {
  ChooseFile(component, PathFromTyped(path).path);
}

void MemoryToolkit::CancelFileDialog(std::string_view component) {
  dialogs_.at(std::string(component)).answers.emplace_back(std::nullopt);
}

std::vector<MemoryToolkit::Message> MemoryToolkit::TakeMessages() {
  return std::exchange(messages_, {});
}

int MemoryToolkit::ContentChangedCount(std::string_view control) const {
  return At(control).contentChanged;
}

void MemoryToolkit::RunLongWork(const WorkSize& size, const Job& job) {
  longWork.push_back(size);
  class StopAfter final : public Progress {
   public:
    explicit StopAfter(std::int64_t files) : files_(files), stopped_(files == 0) {}
    bool Advance(std::int64_t files, std::int64_t bytes) override {
      done = {files, bytes};
      if (files_ >= 0 && files >= files_) stopped_ = true;
      return !stopped_;
    }
    bool StopRequested() const override { return stopped_; }
    WorkSize done;

   private:
    std::int64_t files_;
    bool stopped_;
  };
  StopAfter progress(stopOnlyWrites && size.files == 0 ? -1 : stopAfterFiles);
  job(progress);
  longWorkDone.push_back(progress.done);
}

}  // namespace morvane::testing
