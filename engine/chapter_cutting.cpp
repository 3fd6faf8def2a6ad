// SPDX-License-Identifier: MIT
#include "engine/chapter_cutting.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "core/numbers.h"

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

}  // namespace morvane
