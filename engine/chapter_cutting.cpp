#include "engine/chapter_cutting.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "core/numbers.h"
#include "engine/control_names.h"
#include "engine/messages.h"

namespace morvane {

std::vector<int> PairHeadings(const std::vector<int>& ordinals, const std::vector<int>& chapters) {
  std::vector<int> headings;
  std::size_t i = 0;  // chapters
  std::size_t j = 0;  // ordinals
  while (i < chapters.size() && j < ordinals.size()) {
    if (chapters[i] < ordinals[j]) {
      ++i;
    } else if (chapters[i] - ordinals[j] <= kHeadingSpan) {
      headings.push_back(ordinals[j]);
      ++i;
      ++j;
    } else {
      ++j;
    }
  }
  return headings;
}

std::vector<int> FindChapterStarts(const ByteText& text, Encoding encoding) {
  std::vector<int> starts;
  ForEachChapterStart(text, encoding, [&](int start) { starts.push_back(start); });
  return starts;
}

void ForEachChapter(const ByteText& text, const std::vector<int>& starts,
                    const std::function<void(int file, const ByteText& piece)>& emit) {
  // What is left of the text, R, is always a suffix text[rest..]. File k takes the first
  // (cur - prev) bytes of R; then R becomes its last (L - cur + 1) bytes. With ascending
  // positions inside the text this is simply the span from one heading to the next.
  const std::int64_t length = static_cast<std::int64_t>(text.size());
  std::int64_t prev = 1;
  std::int64_t rest = 0;
  for (std::size_t k = 0; k <= starts.size(); ++k) {
    const std::int64_t cur = k < starts.size() ? starts[k] : length + 1;
    const std::int64_t available = length - rest;
    const std::int64_t wanted = cur - prev;
    const std::int64_t taken = wanted <= 0 ? 0 : std::min(wanted, available);
    emit(static_cast<int>(k),
         text.Slice(static_cast<std::size_t>(rest), static_cast<std::size_t>(taken)));
    const std::int64_t kept = length - cur + 1;
    if (kept <= 0) {
      rest = length;
    } else if (kept < available) {
      rest = length - kept;
    }
    prev = cur;
  }
}

std::vector<ByteText> ChapterTexts(const ByteText& text, const std::vector<int>& starts) {
  std::vector<ByteText> pieces;
  pieces.reserve(starts.size() + 1);
  ForEachChapter(text, starts, [&](int, const ByteText& piece) { pieces.push_back(piece); });
  return pieces;
}

namespace {

// Writes one chapter file after another, each between the form's mark and banner.
class ChapterWriter {
 public:
  ChapterWriter(const OutputTarget& target, const ByteText& text, const OutputForm& form,
                Progress* progress)
      : target_(target),
        form_(form),
        report_(progress),
        writer_(report_, progress,
                static_cast<std::int64_t>(text.size()) >= FileWriter::kSideBySideBytes) {}

  void Write(int file, const ByteText& piece) {
    // The searches have no way out: once stopped, the remaining chapters are skipped.
    if (stopped_) return;
    stopped_ = !writer_.Write(file, PiecePath(target_, file), {form_.bom, piece}, form_.banner);
  }
  WriteReport& Finish() {
    writer_.Finish();
    return report_;
  }

 private:
  const OutputTarget& target_;
  const OutputForm& form_;
  WriteReport report_;
  FileWriter writer_;
  bool stopped_ = false;
};

}  // namespace

WriteReport WriteChapters(const OutputTarget& target, const ByteText& text,
                          const std::vector<int>& starts, const OutputForm& form,
                          Progress* progress) {
  ChapterWriter writer(target, text, form, progress);
  ForEachChapter(text, starts, [&](int file, const ByteText& piece) { writer.Write(file, piece); });
  return std::move(writer.Finish());
}

WriteReport WriteChapters(const OutputTarget& target, const ByteText& text,
                          const std::vector<int>& starts, const ByteText& banner,
                          Progress* progress) {
  return WriteChapters(target, text, starts, OutputForm{Encoding::kGbk, {}, banner}, progress);
}

int CountChapterStarts(const ByteText& text, Encoding encoding) {
  int count = 0;
  ForEachChapterStart(text, encoding, [&](int) { ++count; });
  return count;
}

WriteReport WriteChaptersAsFound(const OutputTarget& target, const ByteText& text,
                                 const OutputForm& form, Progress* progress) {
  ChapterWriter writer(target, text, form, progress);
  std::size_t from = 0;
  int file = 0;
  ForEachChapterStart(text, form.encoding, [&](int start) {
    const auto at = static_cast<std::size_t>(start - 1);
    writer.Write(file++, text.Slice(from, at - from));
    from = at;
  });
  writer.Write(file, text.Slice(from, text.size() - from));
  return std::move(writer.Finish());
}

WriteReport WriteChapterFiles(const Path& folder, const ByteText& text, const ChapterFiles& files,
                              const OutputForm& form, Progress* progress) {
  WriteReport report(progress);
  FileWriter writer(report, progress,
                    static_cast<std::int64_t>(text.size()) >= FileWriter::kSideBySideBytes);
  for (std::size_t k = 0; k < files.size(); ++k) {
    const auto begin = static_cast<std::size_t>(std::max<std::int64_t>(0, files.Begin(k)));
    const auto end = static_cast<std::size_t>(std::max(files.Begin(k), files.End(k)));
    if (!writer.Write(static_cast<std::int64_t>(k), JoinPath(folder, files.Name(k)),
                      {form.bom, text.Slice(begin, end - begin)}, form.banner))
      break;
  }
  writer.Finish();
  return report;
}

OutputPlan OutputPlanOf(const OutputTarget& target, const ChapterFiles& files,
                        const ChapterChoice& choice) {
  OutputPlan plan{target, false, 0, static_cast<int>(files.size()) - 1};
  if (choice.names != NameStyle::kNumber) {
    plan.name = [&files](int k) { return files.Name(static_cast<std::size_t>(k)); };
  }
  return plan;
}

namespace {

// The cut of a confirmed chapter map.
void CutByPlan(Toolkit& ui, AppState& state, const ChapterPlan& plan) {
  const auto found = OutputTargetOf(ui);
  if (!found) return;
  const OutputTarget& target = *found;
  const ChapterFiles files(plan, target.prefix, FileNameLimit(target.folder));
  const Path inputs[] = {state.cut.normalPath};
  if (auto refusal = RefuseOutputs(ui, OutputPlanOf(target, files, plan.choice), inputs)) {
    ui.ShowMessageBox(*refusal);
    return;
  }
  if (!ConfirmOutputFolder(ui, state, target.folder)) return;
  const auto count = static_cast<std::int64_t>(files.size());
  ui.ShowMessageBox(ToText(static_cast<int>(count)));
  WriteReport report;
  const ByteText text = state.cut.normalText;
  const OutputForm form = OutputFormOf(state.cut.normalEncoding, state.bannerText);
  // The text alone, with the byte-order mark that starts each file.
  ui.RunLongWork({count, static_cast<std::int64_t>(text.size()) +
                             count * static_cast<std::int64_t>(form.bom.size())},
                 [&](Progress& progress) {
                   report = WriteChapterFiles(target.folder, text, files, form, &progress);
                 });
  ShowOutcome(ui, report, messages::ChapterCutFinished(), DefaultCaption());
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
  const int files = static_cast<int>(state.chapterStarts.size()) + 1;
  const auto target = OutputTargetOf(ui);
  if (!target) return;
  const Path inputs[] = {state.cut.normalPath};
  if (auto refusal = RefuseOutputs(ui, {*target, false, 0, files - 1}, inputs)) {
    ui.ShowMessageBox(*refusal);
    return;
  }
  if (!ConfirmOutputFolder(ui, state, target->folder)) return;
  // The final boundary, just past the end of the text. The cut itself computes it in 64
  // bits; only a text of the very largest size would not fit it into the list.
  const std::vector<int> starts = state.chapterStarts;
  state.chapterStarts.push_back(static_cast<int>(
      std::min<std::int64_t>(static_cast<std::int64_t>(text.size()) + 1, INT_MAX)));
  ui.ShowMessageBox(ToText(files));
  WriteReport report;
  const OutputForm form = OutputFormOf(state.cut.normalEncoding, state.bannerText);
  // The text alone, with the byte-order mark that starts each file; the banner is the
  // program's.
  ui.RunLongWork(
      {files,
       static_cast<std::int64_t>(text.size()) + files * static_cast<std::int64_t>(form.bom.size())},
      [&](Progress& progress) { report = WriteChapters(*target, text, starts, form, &progress); });
  ShowOutcome(ui, report, messages::ChapterCutFinished(), DefaultCaption());
  // A cancelled cut wrote nothing: the search still stands for the next try.
  if (!report.cancelled()) state.chapterSearchDone = 0;
}

}  // namespace morvane
