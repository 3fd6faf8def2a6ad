// SPDX-License-Identifier: MIT
#include "engine/chapter_cut_job.h"

#include "engine/chapter_cutting.h"

namespace morvane {
namespace {

// Headings kept by a search made here; beyond them the writing searches again.
constexpr std::size_t kKeptHeadings = 1u << 22;

}  // namespace

ChapterCutJob::ChapterCutJob(OutputTarget target, ByteText text, OutputForm form,
                             std::optional<std::vector<int>> starts)
    : target_(std::move(target)), text_(std::move(text)), form_(std::move(form)) {
  if (starts) {
    headings_ = static_cast<int>(starts->size());
    starts_ = std::move(starts);
    return;
  }
  starts_.emplace();
  ForEachChapterStart(text_, form_.encoding, [&](int start) {
    if (++headings_ <= static_cast<int>(kKeptHeadings)) starts_->push_back(start);
  });
  if (static_cast<std::size_t>(headings_) > kKeptHeadings) starts_.reset();
}

ChapterCutJob::ChapterCutJob(OutputTarget target, ByteText text, OutputForm form, ChapterPlan plan)
    : target_(std::move(target)),
      text_(std::move(text)),
      form_(std::move(form)),
      headings_(static_cast<int>(plan.map.size())),
      plan_(std::move(plan)) {
  planFiles_.emplace(*plan_, target_.prefix, FileNameLimit(target_.folder));
}

std::int64_t ChapterCutJob::files() const {
  if (planFiles_) return static_cast<std::int64_t>(planFiles_->size());
  return static_cast<std::int64_t>(headings_) + 1;
}

OutputPlan ChapterCutJob::Outputs() const {
  if (planFiles_) return OutputPlanOf(target_, *planFiles_, plan_->choice);
  return {target_, false, 0, headings_};
}

WorkSize ChapterCutJob::Size() const {
  const std::int64_t count = files();
  return {count, static_cast<std::int64_t>(text_.size()) +
                     count * static_cast<std::int64_t>(form_.bom.size())};
}

WriteReport ChapterCutJob::Run(Progress* progress) const {
  if (planFiles_) return WriteChapterFiles(target_.folder, text_, *planFiles_, form_, progress);
  if (starts_) return WriteChapters(target_, text_, *starts_, form_, progress);
  return WriteChaptersAsFound(target_, text_, form_, progress);
}

}  // namespace morvane
