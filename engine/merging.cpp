#include "engine/merging.h"

#include <vector>

#include "core/numbers.h"
#include "engine/control_names.h"
#include "engine/file_choosing.h"
#include "engine/messages.h"

namespace morvane {
namespace {

void ClearRow(Toolkit& ui, MergeSettings& merge, int row) {
  merge.mergeText[row] = ByteText();
  merge.mergePath[row] = Path();
  ui.SetText(names::kMergePathBox[row], ByteText());
}

std::int64_t TotalBytes(std::span<const ByteText> texts, const ByteText& banner) {
  std::int64_t bytes = static_cast<std::int64_t>(banner.size());
  for (const ByteText& text : texts) bytes += static_cast<std::int64_t>(text.size());
  return bytes;
}

}  // namespace

void ShowMergeRows(Toolkit& ui, int count) {
  if (count < 2 || count > 5) return;
  for (int row = 3; row <= 5; ++row) {
    const bool shown = row <= count;
    ui.SetVisible(names::kMergeRowLabel[row], shown);
    ui.SetVisible(names::kMergePathBox[row], shown);
    ui.SetVisible(names::kMergeOpenButton[row], shown);
  }
}

WriteReport WriteMerged(const OutputTarget& target, std::span<const ByteText> texts,
                        const ByteText& banner, Progress* progress) {
  WriteReport report(progress);
  const Path path = MergedPath(target);
  report.Record(path, WriteOutputFile(path, texts, banner));
  if (StopBeforeNextFile(progress, report)) return report;
  if (progress != nullptr) progress->Advance(1, TotalBytes(texts, banner));
  return report;
}

void OpenMergeFile(Toolkit& ui, AppState& state, int row) {
  const auto file = ChooseAndReadFile(ui, names::kMergeDialog);
  if (!file) return;
  MergeSettings& merge = state.merge;
  ui.SetPath(names::kMergePathBox[row], file->path);
  merge.mergeText[row] = file->read.text;
  merge.mergePath[row] = file->path;
  if (row == 1) ui.SetPath(names::kPrefixBox, BaseNameOf(file->path));
  WarnIfEndedEarly(ui, *file);
}

void SelectMergeCount(Toolkit& ui, AppState& state) {
  const int index = ui.SelectedIndex(names::kMergeCountList);
  state.merge.mergeCount = ToInteger(ui.ComboItemText(names::kMergeCountList, index));
  ShowMergeRows(ui, state.merge.mergeCount);
}

void MergeFiles(Toolkit& ui, AppState& state) {
  if (!RequireSaveFolder(ui, state)) return;
  for (int row = 1; row <= 2; ++row) {
    if (ui.Text(names::kMergePathBox[row]).empty()) {
      ui.ShowMessageBox(messages::OpenMergeFileFirst(row));
      return;
    }
  }
  MergeSettings& merge = state.merge;
  const int count = merge.mergeCount;
  // Rows beyond the count are emptied before the rows within it are tested, so a merge
  // that stops at a test has already cleared them.
  if (count >= 2 && count <= 5) {
    for (int row = count + 1; row <= 5; ++row) ClearRow(ui, merge, row);
    for (int row = 3; row <= count; ++row) {
      if (ui.Text(names::kMergePathBox[row]).empty()) {
        ui.ShowMessageBox(messages::OpenMergeFileFirst(row));
        return;
      }
    }
  }
  const auto target = OutputTargetOf(ui);
  if (!target) return;
  if (auto refusal =
          RefuseOutputs(ui, {*target, true, 0, 0}, std::span(merge.mergePath).subspan(1))) {
    ui.ShowMessageBox(*refusal);
    return;
  }
  WriteReport report;
  const ByteText banner = state.bannerText;
  const std::span<const ByteText> texts = std::span(merge.mergeText).subspan(1);
  ui.RunLongWork({1, TotalBytes(texts, banner)}, [&](Progress& progress) {
    report = WriteMerged(*target, texts, banner, &progress);
  });
  ShowOutcome(ui, report, messages::MergeFinished(), messages::HintCaption());
}

}  // namespace morvane
