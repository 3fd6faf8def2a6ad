#include "memory_toolkit.h"

#include <stdexcept>
#include <utility>

#include "core/gbk.h"
#include "engine/control_names.h"

namespace morvane::testing {
namespace {

ByteText Gbk(std::string_view utf8) {
  return GbkFromUtf8(utf8);
}

}  // namespace

MemoryToolkit::MemoryToolkit() {
  namespace n = names;
  // Controls the handlers address, with the initial text and visibility of the window
  // descriptions. The help text of the simple-cut container is a stand-in.
  const std::pair<std::string_view, ByteText> texts[] = {
      {n::kSaveLocationBox, ByteText()},
      {n::kPrefixBox, ByteText("Morvane")},
      {n::kSaveLocationButton, Gbk("保存位置")},
      {n::kNormalOpenButton, Gbk("打开文件")},
      {n::kNormalPathBox, ByteText()},
      {n::kNormalSizeLabel, ByteText("0 K")},
      {n::kCutSizeBox, ByteText("200")},
      {n::kNormalRadio, Gbk("普通切割")},
      {n::kChapterRadio, Gbk("章节切割")},
      {n::kNormalCutButton, Gbk("切割")},
      {n::kChapterSearchButton, Gbk("搜寻")},
      {n::kChapterCutButton, Gbk("切割")},
      {n::kSimpleText, Gbk("说明：点击“打开文件”载入要切割的文本文件。\r\n")},
      {n::kSimpleOpenButton, Gbk("打开文件")},
      {n::kRemoveSpacesButton, Gbk("去空格")},
      {n::kRemoveLineBreaksButton, Gbk("去换行符")},
      {n::kRemoveTabsButton, Gbk("去TAB键")},
      {n::kSimpleCutButton, Gbk("分割")},
      {n::kSimpleClearButton, Gbk("清空")},
      {n::kSimpleSizeLabel, Gbk("0字节")},
      {n::kSimplePieceBytesBox, ByteText("500")},
      {n::kSimpleCountLabel, ByteText("0")},
      {n::kMergeCountList, ByteText()},
      {n::kMergeButton, Gbk("合并文件")},
      {n::kDriveList, ByteText()},
      {n::kFolderTree, ByteText()},
  };
  for (const auto& [name, text] : texts) controls_[std::string(name)].text = text;
  for (int row = 1; row <= 5; ++row) {
    for (std::string_view name :
         {n::kMergeRowLabel[row], n::kMergePathBox[row], n::kMergeOpenButton[row]}) {
      controls_[std::string(name)].visible = row <= 2;
    }
  }
  controls_[std::string(n::kChapterSearchButton)].visible = false;
  controls_[std::string(n::kChapterCutButton)].visible = false;
  controls_[std::string(n::kNormalRadio)].checked = true;
  Control& list = controls_[std::string(n::kMergeCountList)];
  list.items = {ByteText("2"), ByteText("3"), ByteText("4"), ByteText("5")};
  list.selected = 0;
  // The encoding lists: 自动 and every encoding, 自动 selected.
  std::vector<ByteText> encodings{Gbk("自动")};
  for (Encoding e : kEncodings) encodings.emplace_back(EncodingLabel(e));
  for (int row = 0; row <= 5; ++row) {
    const std::string_view name = row == 0 ? n::kNormalEncodingList : n::kMergeEncodingList[row];
    controls_[std::string(name)].items = encodings;
    controls_[std::string(name)].selected = 0;
    controls_[std::string(name)].visible = row <= 2;
  }
  controls_[std::string(n::kSimpleEncodingList)].items = encodings;
  controls_[std::string(n::kSimpleEncodingList)].selected = 0;
  Control& merged = controls_[std::string(n::kMergedEncodingList)];
  merged.items = encodings;
  merged.items[0] = Gbk("与第一个文件相同");
  merged.selected = 0;
  for (std::string_view dialog : {n::kSimpleDialog, n::kNormalDialog, n::kMergeDialog}) {
    dialogs_[std::string(dialog)];
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

void MemoryToolkit::Fire(std::string_view control, Event event) {
  auto found = routines_.find({std::string(control), event});
  if (found == routines_.end()) return;
  // A copy: the routine may rebind while it runs.
  Routine routine = found->second;
  routine();
}

ByteText MemoryToolkit::Text(std::string_view control) const {
  return At(control).text;
}

void MemoryToolkit::SetText(std::string_view control, const ByteText& text) {
  Control& target = At(control);
  if (!target.items.empty()) {
    // A drop-down list selects the item of that text, as the Qt layer does.
    for (std::size_t i = 0; i < target.items.size(); ++i) {
      if (target.items[i] == text) target.selected = static_cast<int>(i);
    }
    return;
  }
  target.text = text;
  if (routines_.count({std::string(control), Event::kContentChanged}) > 0) {
    ++target.contentChanged;
    Fire(control, Event::kContentChanged);
  }
}

bool MemoryToolkit::Visible(std::string_view control) const {
  return At(control).visible;
}
void MemoryToolkit::SetVisible(std::string_view control, bool visible) {
  At(control).visible = visible;
}
bool MemoryToolkit::Checked(std::string_view control) const {
  return At(control).checked;
}
void MemoryToolkit::SetChecked(std::string_view control, bool checked) {
  At(control).checked = checked;
}
int MemoryToolkit::SelectedIndex(std::string_view control) const {
  return At(control).selected;
}

ByteText MemoryToolkit::ComboItemText(std::string_view control, int index) const {
  const Control& list = At(control);
  if (index < 0 || index >= static_cast<int>(list.items.size())) return ByteText();
  return list.items[static_cast<std::size_t>(index)];
}

void MemoryToolkit::SetComboItemText(std::string_view control, int index, const ByteText& text) {
  Control& list = At(control);
  if (index >= 0 && index < static_cast<int>(list.items.size())) {
    list.items[static_cast<std::size_t>(index)] = text;
  }
}

void MemoryToolkit::SetTextEncoding(std::string_view control, Encoding encoding) {
  At(control).text = ByteText();
  At(control).encoding = encoding;
}

int MemoryToolkit::ShowMessageBox(const ByteText& content, int flags, const ByteText& caption) {
  messages_.push_back({content, flags, caption});
  if (!(flags & kYesNo)) return 0;
  if (answers.empty()) return kAnswerYes;
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

bool MemoryToolkit::ShowFileDialog(std::string_view component) {
  auto found = dialogs_.find(component);
  if (found == dialogs_.end()) throw std::out_of_range("no dialog " + std::string(component));
  Dialog& dialog = found->second;
  if (dialog.answers.empty()) return false;
  std::optional<Path> answer = std::move(dialog.answers.front());
  dialog.answers.pop_front();
  if (!answer) return false;
  dialog.fileName = *answer;
  return true;
}

Path MemoryToolkit::DialogFileName(std::string_view component) const {
  auto found = dialogs_.find(component);
  if (found == dialogs_.end()) throw std::out_of_range("no dialog " + std::string(component));
  return found->second.fileName;
}

bool MemoryToolkit::LoadWindow(std::string_view, std::string_view, bool) {
  ++windowsLoaded_;
  if (whileWindowOpen) whileWindowOpen();
  return true;
}

bool MemoryToolkit::SetControlStyle(int style) {
  controlStyle_ = style;
  return true;
}

void MemoryToolkit::Bind(std::string_view control, Event event, Routine routine) {
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
  if (control == names::kNormalRadio || control == names::kChapterRadio) target.checked = true;
  Fire(control, Event::kClicked);
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
