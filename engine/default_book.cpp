// SPDX-License-Identifier: MIT
#include "engine/default_book.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/files.h"
#include "engine/book_language.h"
#include "engine/book_metadata.h"
#include "engine/line_cleaning.h"
#include "engine/output_naming.h"

namespace morvane {

std::variant<DefaultBookPlan, RuleError> PlanDefaultBook(const ByteText& text, Encoding encoding,
                                                         Progress* progress) {
  DefaultBookPlan book;
  book.plan.rule = {RuleKind::kAuto, {}};
  LineCleaning cleaning;
  cleaning.repeatedTitles = true;
  LineChangesOrError changes = FindLineChanges(text, encoding, cleaning, progress);
  if (const auto* error = std::get_if<RuleError>(&changes)) return *error;
  const auto& found = std::get<std::vector<LineChange>>(changes);
  book.cleanedLines = found.size();
  // Most texts have nothing to take away and are mapped as they are: no copy.
  const ByteText cleaned =
      found.empty() ? text : WithChanges(text, encoding, Indentation::kKeep, found);
  auto map = MapOf(cleaned, book.plan.rule, encoding, progress);
  if (auto* error = std::get_if<RuleError>(&map)) return *error;
  book.plan.map = std::get<ChapterMap>(std::move(map));
  return book;
}

BookInfo DefaultBookInfo(const Path& path, const ByteText& text, Encoding encoding) {
  const BookMetadata metadata = MetadataOf(DisplayName(BaseNameOf(path)), text, encoding);
  BookInfo info;
  info.title = metadata.title;
  info.author = metadata.author;
  info.description = metadata.description;
  info.language = BookLanguageOf(text, encoding);
  info.modified = ModifiedTimeOf(path).value_or(0);
  return info;
}

std::size_t BookChapters(const ChapterPlan& plan) {
  const std::vector<BookSection> sections = SectionsOf(plan);
  return static_cast<std::size_t>(std::count_if(sections.begin(), sections.end(),
                                                [](const BookSection& s) { return s.entry >= 0; }));
}

}  // namespace morvane
