// morvane-cli's small commands and the book: epub (the book of a text with its chapter map
// as the table of contents), detect, banner, and the save folder of --out. The others have a
// file each: cutting_commands.cpp (cut, chapters), merging_commands.cpp (merge),
// cleaning_commands.cpp (clean); what they share is command_inputs.h.

#include "cli/commands.h"

#include "cli/command_inputs.h"
#include "cli/terminal.h"
#include "core/files.h"
#include "engine/banner.h"
#include "engine/epub_book.h"
#include "engine/epub_writing.h"
#include "engine/messages.h"
#include "engine/output_checks.h"
#include "engine/output_naming.h"

namespace morvane::cli {
namespace {

// A cover larger than this is no cover.
constexpr std::size_t kMostCoverBytes = 64u << 20;

}  // namespace

Path FolderOf(const std::string& nativeFolder) {
  std::string folder = nativeFolder;
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == kPathSeparator)) {
    folder.pop_back();
  }
  return PathFromUtf8(folder);
}

// The book is written as one file, whole or not at all, as a merge is.
int RunEpub(const OutputArgs& output, const EpubArgs& epub, const std::string& file,
            const RunFiles& files) {
  const WarnsWhenDone warns;
  const auto rule = ParseRule(epub.rule);
  const auto input = ReadInput(file, output.encoding);
  if (!input || !rule) return kRefused;
  if (input->text.empty()) {
    PrintMessage(messages::EmptyTextForBook(input->path));
    return kRefused;
  }
  BookInfo info;
  if (!epub.cover.empty()) {
    const Path cover = PathFromUtf8(epub.cover);
    auto bytes = ReadFileBytes(cover, kMostCoverBytes);
    if (!bytes) {
      // A file too large gives no reason of the system's; any other failure does.
      const bool tooLarge = FileSizeOf(cover) > static_cast<std::int64_t>(kMostCoverBytes);
      FileError why = tooLarge ? FileError{} : LastOpenError();
      if (!tooLarge && !why) why = PosixError(EIO, FileOperation::kRead, cover);
      PrintMessage(messages::CannotReadCover(cover, why));
      return kRefused;
    }
    info.cover = ImageKindOf(*bytes);
    if (info.cover == ImageKind::kNone) {
      PrintMessage(messages::CoverNotImage(cover));
      return kRefused;
    }
    info.coverBytes = std::move(*bytes);
  }
  ChapterPlan plan;
  if (!MapInto(plan, *input, *rule, epub.map) || !SkipInto(plan, epub.skip)) return kRefused;
  if (TooManyHeadingsForBook(plan)) {
    PrintMessage(messages::TooManyHeadingsForBook(static_cast<std::int64_t>(plan.map.size())));
    return kRefused;
  }
  info.title = epub.title ? *epub.title : DisplayName(BaseNameOf(input->path));
  info.author = epub.author ? *epub.author : AuthorOf(input->text, input->detected.encoding);
  info.modified = ModifiedTimeOf(input->path).value_or(0);

  const OutputTarget target = TargetOf(output, input->path);
  const Path name = BookFileName(target.prefix);
  if (Refused({target, false, 1, 1, [&name](int) { return name; }}, files)) return kRefused;
  const Path path = JoinPath(target.folder, name);
  WriteReport report;
  report.Record(path, WriteEpub(path, plan, info));
  return Outcome(report, files.inputs);
}

// The merge writes each input's text as soon as it is read. Where the texts go out as they
// stand (encodings detected, none other asked for), one thread reads the inputs one after
// another, a few MiB at a time, and the writing follows each read a piece behind: the
// reading stays ahead on the other core, and no input waits for the one before it to be
// written. The merged file is named only once complete, so an input that cannot be read, or
// a character the merged file's encoding cannot hold, still leaves nothing behind; the

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
  return WriteStdout(BannerConstant().view()) ? 0 : kRefused;
}

}  // namespace morvane::cli
