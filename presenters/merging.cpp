// SPDX-License-Identifier: MIT
#include "presenters/merging.h"

#include <span>
#include <vector>

#include "core/numbers.h"
#include "engine/merge_job.h"
#include "engine/messages.h"
#include "engine/output_checks.h"
#include "presenters/control_names.h"
#include "presenters/encoding_choice.h"
#include "presenters/output_steps.h"

namespace morvane {
namespace {

void ClearRow(Toolkit& ui, MergeSettings& merge, int row) {
  merge.mergeText[row] = ByteText();
  merge.mergePath[row] = Path();
  merge.mergeEncoding[row] = {};
  ui.SetText(names::kMergePathBox[row], ByteText());
  ShowDetected(ui, names::kMergeEncodingList[row], std::nullopt);
}

}  // namespace

void ShowMergeRows(Toolkit& ui, int count) {
  if (count < 2 || count > 5) return;
  for (int row = 3; row <= 5; ++row) {
    const bool shown = row <= count;
    ui.SetVisible(names::kMergeRowLabel[row], shown);
    ui.SetVisible(names::kMergePathBox[row], shown);
    ui.SetVisible(names::kMergeOpenButton[row], shown);
    ui.SetVisible(names::kMergeEncodingList[row], shown);
  }
}

void OpenMergeFile(Toolkit& ui, AppState& state, int row) {
  MergeSettings& merge = state.merge;
  const auto encoding = EncodingForNextFile(merge.mergePath[row], merge.mergeChosen[row]);
  const auto file = ChooseAndReadFile(ui, names::kMergeDialog, -1, encoding);
  if (!file) return;
  KeepChoice(ui, names::kMergeEncodingList[row], merge.mergeChosen[row], encoding);
  ui.SetPath(names::kMergePathBox[row], file->path);
  LoadMergeText(ui, state, row, *file);
  if (row == 1) ui.SetPath(names::kPrefixBox, BaseNameOf(file->path));
  WarnIfEndedEarly(ui, *file);
}

void LoadMergeText(Toolkit& ui, AppState& state, int row, const ChosenFile& file) {
  MergeSettings& merge = state.merge;
  merge.mergeText[row] = file.read.text;
  merge.mergePath[row] = file.path;
  merge.mergeEncoding[row] = file.read.detected;
  ShowReadEncoding(ui, names::kMergeEncodingList[row], merge.mergeChosen[row], file.read.detected);
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
  RunFiles declared{{}, target->folder, {}};
  for (int row = 1; row <= 5; ++row) {
    if (!merge.mergePath[row].empty()) declared.inputs.push_back(merge.mergePath[row]);
  }
  if (auto refusal = RefuseOutputs(ui, {*target, true, 0, 0}, declared)) {
    ui.ShowMessageBox(*refusal);
    return;
  }
  if (!ConfirmOutputFolder(ui, state, target->folder)) return;
  // Rows beyond the count are empty by now and add nothing.
  std::vector<MergeInput> inputs;
  for (int row = 1; row <= 5; ++row) {
    if (merge.mergePath[row].empty() && merge.mergeText[row].empty()) continue;
    inputs.push_back({merge.mergePath[row], merge.mergeText[row], merge.mergeEncoding[row]});
  }
  if (inputs.empty()) return;
  MergeInputsAtHand rows(std::move(inputs));
  MergeJob job(rows, {*target, merge.mergeTo, state.bannerText});
  if (auto refusal = job.CheckNow()) {
    ui.ShowMessageBox(refusal->message);
    return;
  }
  MergeOutcome outcome;
  ui.RunLongWork(job.Size(), [&](Progress& progress) { outcome = job.Run(&progress); });
  ShowOutcome(ui, outcome.report, messages::MergeFinished(), messages::HintCaption());
}

}  // namespace morvane
