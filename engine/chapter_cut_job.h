// SPDX-License-Identifier: MIT
#pragma once
// The chapter cut as one job: whoever starts it (the cut page, the chapter map's cut,
// morvane-cli chapters) hands over the text, its form and what to cut at, and gets back
// the report of the writing.
//
// What to cut at is either the headings of the chapter search (as a search found them, or
// searched by the job itself) or a chapter plan (the chapter map with its choices: headings
// left uncut, chapters per file, names by title or volume). The job then says what it will
// write (Outputs, for the check of the declared files, which is the caller's; Size, for the
// progress window) before Run writes it, each file between the form's byte-order mark and
// banner. A failure is in the report; engine/messages words it for the caller.

#include <cstdint>
#include <optional>
#include <vector>

#include "core/byte_text.h"
#include "core/long_work.h"
#include "engine/banner.h"
#include "engine/chapter_map.h"
#include "engine/output_checks.h"
#include "engine/output_naming.h"
#include "engine/output_writing.h"

namespace morvane {

class ChapterCutJob {
 public:
  // The cut at the headings of the search: starts as found (FindChapterStarts), or, without
  // them, found now. A text with more headings than a novel has (a "第" and a "章" in every
  // few bytes) keeps none when searched here: the list would cost more memory than the
  // text, and the writing then searches again as it goes (WriteChaptersAsFound).
  ChapterCutJob(OutputTarget target, ByteText text, OutputForm form,
                std::optional<std::vector<int>> starts = std::nullopt);
  // The cut a chapter plan describes, into the target's folder.
  ChapterCutJob(OutputTarget target, ByteText text, OutputForm form, ChapterPlan plan);
  // The names of the plan's files refer to the job: it stays where it was made.
  ChapterCutJob(const ChapterCutJob&) = delete;
  ChapterCutJob& operator=(const ChapterCutJob&) = delete;

  // The headings the cut is made at (all of the map's for a plan, cut or not).
  int headings() const { return headings_; }
  // The files it writes: the text before the first cut, then one per cut.
  std::int64_t files() const;
  // The files it writes as the output check looks at them.
  OutputPlan Outputs() const;
  // What the progress window counts to: the files, and the text with the byte-order mark
  // that starts each file (the banner is the program's).
  WorkSize Size() const;

  // Writes the files; progress (may be null) hears of each and may stop the cut, which then
  // takes back what it wrote.
  WriteReport Run(Progress* progress = nullptr) const;

 private:
  OutputTarget target_;
  ByteText text_;
  OutputForm form_;
  int headings_ = 0;
  std::optional<std::vector<int>> starts_;  // none when searched again while writing
  std::optional<ChapterPlan> plan_;
  std::optional<ChapterFiles> planFiles_;  // refers to plan_
};

}  // namespace morvane
