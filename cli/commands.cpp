// SPDX-License-Identifier: MIT
// morvane-cli's small commands and the book: epub (the book of a text with its chapter map
// as the table of contents), detect, banner, and the save folder of --out. The others have a
// file each: cutting_commands.cpp (cut, chapters), merging_commands.cpp (merge),
// cleaning_commands.cpp (clean); what they share is command_inputs.h.

#include "cli/commands.h"

#include <algorithm>

#include "cli/command_inputs.h"
#include "cli/terminal.h"
#include "core/files.h"
#include "engine/banner.h"
#include "engine/book_language.h"
#include "engine/cover_image.h"
#include "engine/default_book.h"
#include "engine/epub_book.h"
#include "engine/epub_writing.h"
#include "engine/map_doubts.h"
#include "engine/messages.h"
#include "engine/output_checks.h"
#include "engine/output_naming.h"

namespace morvane::cli {
namespace {

// A cover larger than this is no cover.
constexpr std::size_t kMostCoverBytes = 64u << 20;
// Nor a style sheet larger than this.
constexpr std::size_t kMostStyleBytes = 1u << 20;

}  // namespace

Path FolderOf(const std::string& nativeFolder) {
  std::string folder = nativeFolder;
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == kPathSeparator)) {
    folder.pop_back();
  }
  return PathFromUtf8(folder);
}

namespace {

bool CleansForBook(const EpubArgs& epub) {
  return epub.junk || !epub.rules.empty() || epub.repeatedTitles.value_or(epub.map.empty()) ||
         epub.blankLines != BlankLines::kKeep || epub.indentation != Indentation::kKeep ||
         !epub.convert.empty();
}

}  // namespace

// The book is written as one file, whole or not at all, as a merge is.
FileOutcome MakeBook(const OutputArgs& output, const EpubArgs& epub, const std::string& file,
                     const RunFiles& files) {
  const WarnsWhenDone warns;
  FileOutcome outcome;
  // The automatic rule reads most books right; a written rule or a map is the user's word.
  const auto rule = ParseRule(epub.rule.empty() ? std::string("auto") : epub.rule);
  if (!epub.map.empty() && CleansForBook(epub)) {
    PrintMessage(messages::CleaningWithMap());
    return outcome;
  }
  const auto original = ReadInput(file, output.encoding);
  if (!original || !rule) return outcome;
  outcome.encoding = original->detected.encoding;
  if (original->text.empty()) {
    PrintMessage(messages::EmptyTextForBook(original->path));
    return outcome;
  }
  // The book's text is UTF-8.
  if (RefusedUndecodable(*original, Encoding::kUtf8)) return outcome;
  // What the text says of itself, unless the options say otherwise.
  BookInfo info = DefaultBookInfo(original->path, original->text, original->detected.encoding);
  if (!epub.cover.empty()) {
    const Path cover = PathFromUtf8(epub.cover);
    auto bytes = ReadFileBytes(cover, kMostCoverBytes);
    if (!bytes) {
      // A file too large gives no reason of the system's; any other failure does.
      const bool tooLarge = FileSizeOf(cover) > static_cast<std::int64_t>(kMostCoverBytes);
      FileError why = tooLarge ? FileError{} : LastOpenError();
      if (!tooLarge && !why) why = PosixError(EIO, FileOperation::kRead, cover);
      PrintMessage(messages::CannotReadCover(cover, why));
      return outcome;
    }
    const CoverCheck check = CheckCover(*bytes);
    info.cover = check.kind;
    if (!check.ok()) {
      PrintMessage(messages::CoverRefused(cover, check.problem));
      return outcome;
    }
    info.coverBytes = std::move(*bytes);
  }
  if (!epub.css.empty()) {
    const Path css = PathFromUtf8(epub.css);
    auto bytes = ReadFileBytes(css, kMostStyleBytes);
    if (!bytes) {
      PrintMessage(messages::CannotReadStyleSheet(css));
      return outcome;
    }
    info.userStyle = std::move(*bytes);
  }
  const auto input = CleansForBook(epub) ? CleanedForBook(*original, epub) : original;
  if (!input) return outcome;
  ChapterPlan plan;
  if (!MapInto(plan, *input, *rule, epub.map) || !SkipInto(plan, epub.skip)) return outcome;
  if (TooManyHeadingsForBook(plan)) {
    PrintMessage(messages::TooManyHeadingsForBook(static_cast<std::int64_t>(plan.map.size())));
    return outcome;
  }
  outcome.flagged = FlaggedHeadings(plan.map);
  if (const std::optional<MapDoubt> doubt = DoubtOf(plan.map)) {
    outcome.doubtful = true;
    // What the automatic rule finds, when it did not make the map and finds otherwise.
    std::optional<std::size_t> automatic;
    if (!epub.map.empty() || rule->kind != RuleKind::kAuto) {
      auto found = MapOf(input->text, {RuleKind::kAuto, {}}, input->detected.encoding);
      if (const auto* map = std::get_if<ChapterMap>(&found)) automatic = map->size();
    }
    PrintMessage(messages::DoubtfulBookMap(doubt->headings, doubt->flagged, automatic));
  }
  if (epub.title) info.title = *epub.title;
  if (epub.author) info.author = *epub.author;
  if (epub.description) info.description = *epub.description;
  if (!epub.language.empty()) {
    info.language = epub.language;
  } else if (!epub.convert.empty()) {
    info.language = LanguageOfConversion(epub.convert);
  }
  info.vertical = epub.vertical;

  const OutputTarget target = TargetOf(output, original->path);
  const Path name = BookFileName(target.prefix);
  if (Refused({target, false, 1, 1, [&name](int) { return name; }}, files)) return outcome;
  const Path path = JoinPath(target.folder, name);
  WriteReport report;
  report.Record(path, WriteEpub(path, plan, info));
  outcome.chapters = BookChapters(plan);
  outcome.exitCode = Outcome(report, files.inputs);
  return outcome;
}

int RunEpub(const OutputArgs& output, const EpubArgs& epub, const std::string& file,
            const RunFiles& files) {
  return MakeBook(output, epub, file, files).exitCode;
}

int RunDetect(const std::vector<std::string>& files) {
  int result = 0;
  for (const std::string& file : files) {
    const TextRead read = ReadTextFile(PathFromUtf8(file), ReadMode::kMap);
    // Each file has its line, in order, a file that cannot be read too (with the reason
    // in place of its encoding), so that the lines say which file is which.
    if (!read.ok()) {
      const std::string line = messages::CannotReadFileLine(PathFromUtf8(file), read);
      if (!WriteStdout(line + "\n")) return kRefused;
      result = kRefused;
      continue;
    }
    std::string line(EncodingName(read.detected.encoding));
    if (read.detected.bom) line += " bom";
    if (!WriteStdout(line + "\n")) return kRefused;
  }
  return result;
}

int RunBanner() {
  return WriteStdoutText(BannerConstant().view(), Encoding::kGbk) ? 0 : kRefused;
}

}  // namespace morvane::cli
