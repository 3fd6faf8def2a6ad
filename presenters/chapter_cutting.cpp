// SPDX-License-Identifier: MIT
#include "presenters/chapter_cutting.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <utility>

#include "core/numbers.h"
#include "engine/banner.h"
#include "engine/chapter_cut_job.h"
#include "engine/chapter_cutting.h"
#include "engine/chapter_map.h"
#include "engine/messages.h"
#include "engine/output_checks.h"
#include "presenters/control_names.h"
#include "presenters/output_steps.h"

namespace morvane {
namespace {

// The cut of a confirmed chapter map.
void CutByPlan(Toolkit& ui, AppState& state, const ChapterPlan& plan) {
  const auto found = OutputTargetOf(ui);
  if (!found) return;
  const OutputTarget& target = *found;
  const ChapterCutJob job(target, state.cut.normalText,
                          OutputFormOf(state.cut.normalEncoding, state.bannerText), plan);
  RunFiles declared{{state.cut.normalPath}, target.folder, {}};
  if (!state.chapterMapFile.empty()) declared.inputs.push_back(state.chapterMapFile);
  if (auto refusal = RefuseOutputs(ui, job.Outputs(), declared)) {
    ui.ShowMessageBox(*refusal);
    return;
  }
  if (!ConfirmOutputFolder(ui, state, target.folder)) return;
  ui.ShowMessageBox(std::to_string(static_cast<int>(job.files())));
  WriteReport report;
  ui.RunLongWork(job.Size(), [&](Progress& progress) { report = job.Run(&progress); });
  ShowOutcome(ui, report, messages::ChapterCutFinished(), {});
  // A cancelled cut wrote nothing: the map still stands for the next try.
  if (report.cancelled()) return;
  state.chapterSearchDone = 0;
  state.chapterPlan.reset();
}

}  // namespace

void ChapterSearch(Toolkit& ui, AppState& state) {
  if (!RequireSaveFolder(ui, state)) return;
  if (ui.Text(names::kNormalPathBox).empty()) {
    ui.ShowMessageBox(messages::OpenFileToCutFirst());
    return;
  }
  // A search through a gigabyte takes a moment: off the window's thread. It cannot stop
  // half-way; a stop request discards its result and the last search stands.
  std::vector<int> starts;
  bool stopped = false;
  const ByteText text = state.cut.normalText;
  const Encoding encoding = state.cut.normalEncoding.encoding;
  ui.RunLongWork({}, [&](Progress& progress) {
    starts = FindChapterStarts(text, encoding);
    stopped = progress.StopRequested();
  });
  if (stopped) return;
  state.chapterStarts = std::move(starts);
  state.chapterPlan.reset();
  ui.ShowMessageBox(messages::ChaptersFound(static_cast<int>(state.chapterStarts.size())), 0,
                    messages::ChapterSearchCaption());
  state.chapterSearchDone = 1;
}

void ChapterCut(Toolkit& ui, AppState& state) {
  if (!RequireSaveFolder(ui, state)) return;
  if (state.chapterSearchDone == 0) {
    ui.ShowMessageBox(messages::SearchFirst());
    return;
  }
  if (state.chapterPlan) {
    const std::shared_ptr<const ChapterPlan> plan = state.chapterPlan;
    CutByPlan(ui, state, *plan);
    return;
  }
  const ByteText text = state.cut.normalText;
  const auto target = OutputTargetOf(ui);
  if (!target) return;
  const ChapterCutJob job(*target, text, OutputFormOf(state.cut.normalEncoding, state.bannerText),
                          state.chapterStarts);
  const RunFiles declared{{state.cut.normalPath}, target->folder, {}};
  if (auto refusal = RefuseOutputs(ui, job.Outputs(), declared)) {
    ui.ShowMessageBox(*refusal);
    return;
  }
  if (!ConfirmOutputFolder(ui, state, target->folder)) return;
  // The final boundary, just past the end of the text. The cut itself computes it in 64
  // bits; only a text of the very largest size would not fit it into the list.
  state.chapterStarts.push_back(static_cast<int>(
      std::min<std::int64_t>(static_cast<std::int64_t>(text.size()) + 1, INT_MAX)));
  ui.ShowMessageBox(std::to_string(job.files()));
  WriteReport report;
  ui.RunLongWork(job.Size(), [&](Progress& progress) { report = job.Run(&progress); });
  ShowOutcome(ui, report, messages::ChapterCutFinished(), {});
  // A cancelled cut wrote nothing: the search still stands for the next try.
  if (!report.cancelled()) state.chapterSearchDone = 0;
}

}  // namespace morvane
