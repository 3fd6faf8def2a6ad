// SPDX-License-Identifier: MIT
#include "presenters/chapter_cutting.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "core/numbers.h"
#include "engine/banner.h"
#include "engine/chapter_cut_job.h"
#include "engine/chapter_cutting.h"
#include "engine/chapter_map.h"
#include "engine/map_doubts.h"
#include "engine/messages.h"
#include "engine/output_checks.h"
#include "presenters/control_names.h"
#include "presenters/output_steps.h"

namespace morvane {
namespace {

// The search's own map is held for texts of up to this many headings (16 bytes each); a text
// with more (a "第" and a "章" every few bytes) is no novel to doubt.
constexpr std::size_t kMostMappedHeadings = 1u << 22;

// What the search finds beyond the written rule's headings.
struct SearchFindings {
  std::vector<int> starts;
  // How many chapters the automatic rule finds, when the written rule's map looks wrong (as
  // the chapter-map window would open it: its offer) and the automatic rule finds others.
  std::optional<std::size_t> automatic;
};

SearchFindings Search(const ByteText& text, Encoding encoding) {
  SearchFindings found{FindChapterStarts(text, encoding), std::nullopt};
  if (found.starts.size() > kMostMappedHeadings) return found;
  auto written = MapOf(text, ChapterRule{}, encoding);
  const auto* map = std::get_if<ChapterMap>(&written);
  if (map == nullptr) return found;
  // The map leaves out a table of contents at the front of the text (engine/contents_block.h):
  // so do the count and the cut.
  if (!map->entries.empty()) {
    const std::int64_t first = map->entries.front().offset() + 1;
    std::erase_if(found.starts, [first](int start) { return start < first; });
  }
  if (!MapLooksWrong(*map)) return found;
  auto automatic = MapOf(text, {RuleKind::kAuto, {}}, encoding);
  const auto* other = std::get_if<ChapterMap>(&automatic);
  if (other != nullptr && other->size() > 0 && !SameHeadings(*other, *map)) {
    found.automatic = other->size();
  }
  return found;
}

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
  // The map stays with the opened text, for a book or another cut, until another file is opened.
  ShowOutcome(ui, report, messages::ChapterCutFinished(), {});
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
  SearchFindings findings;
  bool stopped = false;
  const ByteText text = state.cut.normalText;
  const Encoding encoding = state.cut.normalEncoding.encoding;
  ui.RunLongWork({}, [&](Progress& progress) {
    findings = Search(text, encoding);
    stopped = progress.StopRequested();
  });
  if (stopped) return;
  state.chapterStarts = std::move(findings.starts);
  state.chapterPlan.reset();
  state.chapterMapFile = Path();
  std::string found = messages::ChaptersFound(static_cast<int>(state.chapterStarts.size()));
  if (findings.automatic) found += "\r\n" + messages::AutomaticRuleFinds(*findings.automatic);
  ui.ShowMessageBox(found, 0, messages::ChapterSearchCaption());
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
  ui.ShowMessageBox(std::to_string(job.files()));
  WriteReport report;
  ui.RunLongWork(job.Size(), [&](Progress& progress) { report = job.Run(&progress); });
  // The search stays with the opened text until another file is opened.
  ShowOutcome(ui, report, messages::ChapterCutFinished(), {});
}

}  // namespace morvane
