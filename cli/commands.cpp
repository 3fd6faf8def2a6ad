#include "cli/commands.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <future>
#include <system_error>

#include "cli/input_guard.h"
#include "cli/terminal.h"
#include "core/files.h"
#include "core/gbk.h"
#include "engine/banner.h"
#include "engine/book_language.h"
#include "engine/book_metadata.h"
#include "engine/chapter_cutting.h"
#include "engine/chapter_map.h"
#include "engine/chapter_rules.h"
#include "engine/cover_image.h"
#include "engine/epub_book.h"
#include "engine/epub_writing.h"
#include "engine/map_doubts.h"
#include "engine/map_file.h"
#include "engine/merging.h"
#include "engine/messages.h"
#include "engine/output_checks.h"
#include "engine/output_naming.h"
#include "engine/output_writing.h"
#include "engine/script_conversion.h"
#include "engine/size_cutting.h"
#include "engine/whitespace_cleaning.h"

namespace morvane::cli {
namespace {

constexpr int kRefused = 1;
// A cover larger than this is no cover.
constexpr std::size_t kMostCoverBytes = 64u << 20;
// Nor a style sheet larger than this.
constexpr std::size_t kMostStyleBytes = 1u << 20;

// A number from the command line as the desktop's number boxes read it: beyond the int
// range it saturates.
int Saturated(std::int64_t value) {
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

struct Input {
  Path path;
  ByteText text;
  Detected detected;
  std::int64_t fileBytes = 0;  // the file's length when it was read
};

// Warnings about inputs that are found beside the command's work: the count of bytes that
// are no character of a text's encoding is a pass over every byte, so it runs on the other
// core while the text is cut or merged, never ahead of the first write. Each count gives
// its message, or nothing.
std::vector<std::future<std::string>>& LateWarnings() {
  // A thread's own: the books of a batch are made side by side, each telling its own.
  thread_local std::vector<std::future<std::string>> warnings;
  return warnings;
}

// Prints the late warnings of the inputs read so far, in the order of the inputs, when the
// command that read them is over (after what it wrote, and after its own messages).
struct WarnsWhenDone {
  WarnsWhenDone() = default;
  WarnsWhenDone(const WarnsWhenDone&) = delete;
  WarnsWhenDone& operator=(const WarnsWhenDone&) = delete;
  ~WarnsWhenDone() {
    for (auto& warning : LateWarnings()) {
      const std::string message = warning.get();
      if (!message.empty()) PrintMessage(message);
    }
    LateWarnings().clear();
  }
};

// Counts, beside what follows, the bytes of the text of read that are no character of its
// encoding (they are kept as they are); the warning comes from WarnsWhenDone.
void CountUndecodableLater(const Path& path, const TextRead& read) {
  const std::size_t bom = read.detected.bom ? BomOf(read.detected.encoding).size() : 0;
  // The task keeps the text (and so its mapping) alive until it is done.
  auto count = [path, text = read.text, encoding = read.detected.encoding, bom] {
    const Undecodable undecodable = FindUndecodable(encoding, text.view());
    if (undecodable.count == 0) return std::string();
    return messages::UndecodableBytes(path, encoding, static_cast<std::int64_t>(undecodable.count),
                                      static_cast<std::int64_t>(undecodable.first + bom));
  };
  // Where the system gives no thread, the count is made when its warning is due.
  try {
    LateWarnings().push_back(std::async(std::launch::async, std::move(count)));
  } catch (const std::system_error&) {
    LateWarnings().push_back(std::async(std::launch::deferred, std::move(count)));
  }
}

// The outcome of reading one input: a message naming the file when it cannot be read,
// a warning when its text ends early, and later one when it holds bytes that are no
// character of its encoding (CountUndecodableLater).
// index is the file's place among the command's inputs, for the guard.
std::optional<Input> Reported(const Path& path, const TextRead& read, std::size_t index) {
  if (!read.ok()) {
    PrintMessage(messages::CannotReadFile(path, read));
    return std::nullopt;
  }
  GuardMappedInput(index, read.text.view());
  if (read.EndedEarly()) PrintMessage(messages::TextEndedEarly(path, read));
  CountUndecodableLater(path, read);
  return Input{path, read.text, read.detected, read.fileBytes};
}

// Whether the text of input, to be converted into target, holds bytes that are no character
// of its encoding: they cannot be carried into another encoding, and are refused (said).
bool RefusedUndecodable(const Input& input, Encoding target) {
  const Undecodable undecodable = FindUndecodable(input.detected.encoding, input.text.view());
  if (undecodable.count == 0) return false;
  const std::size_t bom = input.detected.bom ? BomOf(input.detected.encoding).size() : 0;
  PrintMessage(messages::CannotConvertBytes(input.path, input.detected.encoding,
                                            static_cast<std::int64_t>(undecodable.first + bom),
                                            target));
  return true;
}

// Reads files whole, mapped: their texts are used at once and never kept. Several files
// are read side by side: finding where each text ends is a pass over every byte, and the
// files do not depend on each other. The outcomes are reported in the order of
// the files, as reading them one by one would.
std::optional<std::vector<Input>> ReadInputs(const std::vector<std::string>& nativePaths,
                                             std::optional<Encoding> encoding) {
  GuardMappedInputs(nativePaths);
  std::vector<Path> paths;
  for (const std::string& nativePath : nativePaths) paths.push_back(PathFromUtf8(nativePath));
  // Where the system gives no thread (a process limit, say), the files are read one
  // after another instead.
  std::vector<std::future<TextRead>> later;
  for (std::size_t i = 1; i < paths.size(); ++i) {
    try {
      later.push_back(std::async(std::launch::async, [path = paths[i], encoding] {
        return ReadTextFile(path, ReadMode::kMap, encoding);
      }));
    } catch (const std::system_error&) {
      later.push_back(std::async(std::launch::deferred, [path = paths[i], encoding] {
        return ReadTextFile(path, ReadMode::kMap, encoding);
      }));
    }
  }
  std::vector<TextRead> reads;
  reads.push_back(ReadTextFile(paths.front(), ReadMode::kMap, encoding));
  for (auto& read : later) reads.push_back(read.get());

  std::vector<Input> inputs;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    auto input = Reported(paths[i], reads[i], i);
    if (!input) return std::nullopt;
    inputs.push_back(*input);
  }
  return inputs;
}

std::optional<Input> ReadInput(const std::string& nativePath, std::optional<Encoding> encoding) {
  auto inputs = ReadInputs({nativePath}, encoding);
  if (!inputs) return std::nullopt;
  return inputs->front();
}

// The prefix the desktop would set for this file: it always hands over a full path, so
// a bare file name is taken as one in the current folder.
Path DefaultPrefixOf(const Path& path) {
  return BaseNameOf(path);
}

// The prefix given on the command line is taken as the bytes it is, as any path there.
OutputTarget TargetOf(const OutputArgs& output, const Path& input) {
  return {FolderOf(output.folder),
          output.prefix ? PathFromUtf8(*output.prefix) : DefaultPrefixOf(input)};
}

bool Refused(const OutputPlan& plan, const RunFiles& files) {
  if (auto refusal = RefuseOutputs(plan, files)) {
    PrintMessage(*refusal);
    return true;
  }
  return false;
}

// Both cuts of the command line refuse an empty text, with the message of the simple cut.
bool RefusedEmpty(const Input& input) {
  if (!input.text.empty()) return false;
  PrintMessage(messages::FileToCutIsEmpty() + "\n" + DisplayName(input.path));
  return true;
}

// The inputs whose files are no longer as long as when they were read (a write stopped
// because its source bytes vanished), of those read (lengths of -1 were not); all of them
// when none is.
std::vector<Path> ChangedInputs(std::span<const Path> inputs,
                                std::span<const std::int64_t> lengths) {
  std::vector<Path> changed;
  for (std::size_t i = 0; i < inputs.size() && i < lengths.size(); ++i) {
    if (lengths[i] >= 0 && FileSizeOf(inputs[i]) != lengths[i]) changed.push_back(inputs[i]);
  }
  if (changed.empty()) changed.assign(inputs.begin(), inputs.end());
  return changed;
}

int Outcome(const WriteReport& report, std::span<const Path> inputs,
            std::span<const std::int64_t> lengths = {}) {
  if (report.ok()) return 0;
  if (report.inputChanged()) {
    for (const Path& input : ChangedInputs(inputs, lengths))
      PrintMessage(messages::InputChanged(input));
    return kRefused;
  }
  if (report.folderMoved()) {
    PrintMessage(messages::OutputFolderMoved(report.folder()));
    return kRefused;
  }
  PrintMessage(
      messages::WritesFailed(report.failures(), report.firstFailedPath(), report.firstFailure()));
  return kRefused;
}

// The number of headings after a cut whose files were all written: the run succeeded
// whether or not standard output takes the number, which goes to standard error then.
int PrintCount(int count) {
  if (!WriteStdout(std::to_string(count) + "\n")) {
    PrintMessage(messages::HeadingCountNotPrinted(count));
  }
  return 0;
}

int CutBySize(const Input& input, int pieceBytes, const OutputArgs& output, const RunFiles& files) {
  const OutputTarget target = TargetOf(output, input.path);
  const int size = TextLength(input.text);
  const Path inputs[] = {input.path};
  if (Refused({target, false, 1, PieceCount(size, pieceBytes)}, files)) return kRefused;
  return Outcome(WritePieces(target, input.text, size, pieceBytes, OutputFormOf(input.detected)),
                 inputs);
}

// The map of the input by rule, or read from mapFile when one is given.
bool MapInto(ChapterPlan& plan, const Input& input, const ChapterRule& rule,
             const std::string& mapFile) {
  plan.rule = rule;
  if (!mapFile.empty()) {
    auto read = ReadMapFileAt(PathFromUtf8(mapFile), input.text, input.detected.encoding);
    if (const auto* error = std::get_if<MapFileError>(&read)) {
      PrintMessage(messages::BadMapFile(*error));
      return false;
    }
    plan.map = std::get<ChapterMap>(std::move(read));
    return true;
  }
  auto made = MapOf(input.text, rule, input.detected.encoding);
  if (const auto* error = std::get_if<RuleError>(&made)) {
    PrintMessage(messages::ChapterRuleFailed(*error, rule));
    return false;
  }
  plan.map = std::get<ChapterMap>(std::move(made));
  return true;
}

// The headings of --skip left uncut.
bool SkipInto(ChapterPlan& plan, const std::string& skip) {
  const int count = static_cast<int>(plan.map.size());
  const IndexList skipped = ParseIndexList(skip, count);
  if (skipped.problem == IndexList::Problem::kReversed) {
    PrintMessage(messages::ReversedHeadingRange(skipped.item, skipped.first, skipped.last));
    return false;
  }
  if (skipped.problem != IndexList::Problem::kNone) {
    PrintMessage(messages::BadHeadingList(skip, count));
    return false;
  }
  plan.choice.cut.assign(static_cast<std::size_t>(count), true);
  for (int index : skipped.indices) plan.choice.cut[static_cast<std::size_t>(index - 1)] = false;
  return true;
}

}  // namespace

Path FolderOf(const std::string& nativeFolder) {
  std::string folder = nativeFolder;
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == kPathSeparator)) {
    folder.pop_back();
  }
  return PathFromUtf8(folder);
}

int RunSimpleCut(std::int64_t bytes, const OutputArgs& output, const std::string& file,
                 const RunFiles& files) {
  const WarnsWhenDone warns;
  const int pieceBytes = SimplePieceBytesOf(Saturated(bytes));
  if (pieceBytes < 1) {
    PrintMessage(messages::BadPieceBytes());
    return kRefused;
  }
  const auto input = ReadInput(file, output.encoding);
  if (!input || RefusedEmpty(*input)) return kRefused;
  return CutBySize(*input, pieceBytes, output, files);
}

int RunNormalCut(std::int64_t kilobytes, const OutputArgs& output, const std::string& file,
                 const RunFiles& files) {
  const WarnsWhenDone warns;
  const int pieceBytes = PieceBytesOfKilobytes(Saturated(kilobytes));
  if (pieceBytes < 1) {
    PrintMessage(messages::BadCutSize());
    return kRefused;
  }
  const auto input = ReadInput(file, output.encoding);
  if (!input || RefusedEmpty(*input)) return kRefused;
  return CutBySize(*input, pieceBytes, output, files);
}

int RunChapters(const OutputArgs& output, const std::string& file, const RunFiles& files) {
  const WarnsWhenDone warns;
  const auto input = ReadInput(file, output.encoding);
  if (!input) return kRefused;
  // The headings are counted for the checks before writing, and kept, so that the writing
  // that follows only hands out files (on two threads for a large text). A text with more
  // headings than a novel has (a "第" and a "章" in every few bytes) keeps none: its list
  // would cost more memory than the text, and the writing searches again as it goes.
  constexpr std::size_t kKeptHeadings = 1u << 22;
  std::vector<int> starts;
  int count = 0;
  ForEachChapterStart(input->text, input->detected.encoding, [&](int start) {
    if (++count <= static_cast<int>(kKeptHeadings)) starts.push_back(start);
  });
  const OutputTarget target = TargetOf(output, input->path);
  const Path inputs[] = {input->path};
  if (Refused({target, false, 0, count}, files)) return kRefused;
  const OutputForm form = OutputFormOf(input->detected);
  const int result = Outcome(static_cast<std::size_t>(count) <= kKeptHeadings
                                 ? WriteChapters(target, input->text, starts, form)
                                 : WriteChaptersAsFound(target, input->text, form),
                             inputs);
  return result == 0 ? PrintCount(count) : result;
}

int RunChapters(const OutputArgs& output, const ChapterArgs& chapters, const std::string& file,
                const RunFiles& files) {
  const WarnsWhenDone warns;
  const auto rule = ParseRule(chapters.rule);
  if (chapters.rule == "near" && !chapters.list && chapters.skip.empty() && chapters.perFile == 1 &&
      !chapters.titleNames && !chapters.volumeNames && chapters.map.empty()) {
    return RunChapters(output, file, files);
  }
  const auto input = ReadInput(file, output.encoding);
  if (!input || !rule) return kRefused;
  ChapterPlan plan;
  if (!MapInto(plan, *input, *rule, chapters.map)) return kRefused;
  const int count = static_cast<int>(plan.map.size());
  if (chapters.list) {
    return WriteMapLines(plan.map, [](std::string_view part) { return WriteStdout(part); })
               ? 0
               : kRefused;
  }
  if (!SkipInto(plan, chapters.skip)) return kRefused;
  plan.choice.perFile = chapters.perFile;
  plan.choice.names = chapters.volumeNames  ? NameStyle::kVolume
                      : chapters.titleNames ? NameStyle::kTitle
                                            : NameStyle::kNumber;

  const OutputTarget target = TargetOf(output, input->path);
  const ChapterFiles named(plan, target.prefix, FileNameLimit(target.folder));
  const Path inputs[] = {input->path};
  if (Refused(OutputPlanOf(target, named, plan.choice), files)) return kRefused;
  const int result = Outcome(
      WriteChapterFiles(target.folder, input->text, named, OutputFormOf(input->detected)), inputs);
  return result == 0 ? PrintCount(count) : result;
}

namespace {

// The text of input cleaned as the book's options ask (in UTF-8 when converted), or
// nothing after the message that says why not; defined with the cleaning below.
std::optional<Input> CleanedForBook(const Input& input, const EpubArgs& epub);
bool CleansForBook(const EpubArgs& epub) {
  return epub.junk || !epub.rules.empty() || epub.repeatedTitles.value_or(epub.map.empty()) ||
         epub.blankLines != BlankLines::kKeep || epub.indentation != Indentation::kKeep ||
         !epub.convert.empty();
}

}  // namespace

// The book is written as one file, whole or not at all, as a merge is.
BookOutcome MakeBook(const OutputArgs& output, const EpubArgs& epub, const std::string& file,
                     const RunFiles& files) {
  const WarnsWhenDone warns;
  BookOutcome outcome;
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
  const BookMetadata metadata = MetadataOf(DisplayName(BaseNameOf(original->path)), original->text,
                                           original->detected.encoding);
  info.title = epub.title.value_or(metadata.title);
  info.author = epub.author.value_or(metadata.author);
  info.description = epub.description.value_or(metadata.description);
  info.language = !epub.language.empty() ? epub.language
                  : !epub.convert.empty()
                      ? LanguageOfConversion(epub.convert)
                      : BookLanguageOf(original->text, original->detected.encoding);
  info.vertical = epub.vertical;
  info.modified = ModifiedTimeOf(original->path).value_or(0);

  const OutputTarget target = TargetOf(output, original->path);
  const Path name = BookFileName(target.prefix);
  if (Refused({target, false, 1, 1, [&name](int) { return name; }}, files)) return outcome;
  const Path path = JoinPath(target.folder, name);
  WriteReport report;
  report.Record(path, WriteEpub(path, plan, info));
  const std::vector<BookSection> sections = SectionsOf(plan);
  outcome.chapters = static_cast<std::size_t>(std::count_if(
      sections.begin(), sections.end(), [](const BookSection& s) { return s.entry >= 0; }));
  outcome.exitCode = Outcome(report, files.inputs);
  return outcome;
}

int RunEpub(const OutputArgs& output, const EpubArgs& epub, const std::string& file,
            const RunFiles& files) {
  return MakeBook(output, epub, file, files).exitCode;
}

// The merge writes each input's text as soon as it is read. Where the texts go out as they
// stand (encodings detected, none other asked for), one thread reads the inputs one after
// another, a few MiB at a time, and the writing follows each read a piece behind: the
// reading stays ahead on the other core, and no input waits for the one before it to be
// written. The merged file is named only once complete, so an input that cannot be read, or
// a character the merged file's encoding cannot hold, still leaves nothing behind; the
// messages come in the order of the files.
int RunMerge(const OutputArgs& output, const std::vector<std::string>& given,
             const RunFiles& files) {
  const WarnsWhenDone warns;
  GuardMappedInputs(given);
  std::vector<Path> paths;
  for (const std::string& file : given) paths.push_back(PathFromUtf8(file));
  const std::size_t count = paths.size();
  const OutputTarget target = TargetOf(output, paths.front());
  std::vector<std::future<TextRead>> reads(count);
  // The followed reads: what is certain of each text so far, and the file lengths that the
  // mappings have (for the guard, before a read is over).
  std::vector<ReadWatch> watches(count);
  std::vector<std::promise<TextRead>> outcomes(count);
  std::vector<std::size_t> lengths(count);
  for (std::size_t k = 0; k < count; ++k)
    lengths[k] = static_cast<std::size_t>(std::max<std::int64_t>(FileSizeOf(paths[k]), 0));
  std::future<void> reader;
  bool follows = !output.encoding && !output.to;
  if (follows) {
    for (std::size_t k = 0; k < count; ++k) reads[k] = outcomes[k].get_future();
    try {
      reader = std::async(std::launch::async, [&] {
        // After a file that cannot be read the others are not: the merge stops there.
        bool readable = true;
        for (std::size_t k = 0; k < count; ++k) {
          TextRead read;
          if (readable) read = ReadTextFile(paths[k], watches[k]);
          readable = readable && read.ok();
          watches[k].Finish();
          outcomes[k].set_value(std::move(read));
        }
      });
    } catch (const std::system_error&) {
      follows = false;
    }
  }
  std::vector<std::optional<Input>> inputs(count);
  std::size_t reported = 0;  // inputs taken from their reads, in order
  // Where the system gives no thread (a process limit, say), or another encoding is asked
  // for, the first file is read (on both cores) before the others start, side by side, and
  // written while they are read.
  if (!follows) {
    reads[0] = std::async(std::launch::deferred, [&] {
      return ReadTextFile(paths.front(), ReadMode::kMap, output.encoding);
    });
    inputs[0] = Reported(paths.front(), reads[0].get(), 0);
    if (!inputs[0]) return kRefused;
    reported = 1;
    for (std::size_t k = 1; k < count; ++k) {
      const auto read = [path = paths[k], encoding = output.encoding] {
        return ReadTextFile(path, ReadMode::kMap, encoding);
      };
      try {
        reads[k] = std::async(std::launch::async, read);
      } catch (const std::system_error&) {
        reads[k] = std::async(std::launch::deferred, read);
      }
    }
  }
  // Input k from its read, every one before it first.
  const auto inputAt = [&](std::size_t k) -> const Input* {
    for (; reported <= k; ++reported) {
      inputs[reported] = Reported(paths[reported], reads[reported].get(), reported);
      if (!inputs[reported]) return nullptr;
    }
    return &*inputs[k];
  };
  if (auto refusal = RefuseOutputs({target, true, 0, 0}, files)) {
    if (inputAt(0) != nullptr) PrintMessage(*refusal);
    return kRefused;
  }
  std::optional<OutputForm> form;
  if (inputs[0])
    form = MergedFormOf({inputs[0]->path, inputs[0]->text, inputs[0]->detected}, output.to);

  // The parts in order: the mark, each input's text (converted a piece at a time where its
  // encoding is not the merged file's), the banner. Before the first piece is converted,
  // every input still to come is read and checked, so that a merge that will be refused
  // converts nothing.
  std::optional<MergedPieces> pieces;
  bool checked = false;
  std::size_t next = 0;                      // 0 the mark, 1.. the inputs, then the banner
  std::vector<std::size_t> early(count, 0);  // bytes of each text written while it was read
  bool refused = false;
  // A followed text turned out to need converting after some of its bytes went out as they
  // are (texts of two encodings, rare): the file is written again from the start.
  bool again = false;
  const NextPart refuse{{}, false, true};
  // The next piece of text k that its read made certain, while the read goes on.
  const auto earlyPiece = [&](std::size_t k) -> std::optional<NextPart> {
    if (!follows || reported > k) return std::nullopt;
    const ReadWatch::Seen seen = watches[k].WaitBeyond(early[k]);
    if (seen.over) return std::nullopt;
    // The file is mapped from here to its length when the read began.
    if (early[k] == 0)
      GuardMappedInput(k, {seen.certain.data(), std::max(seen.certain.size(), lengths[k])});
    const std::string_view piece = seen.certain.substr(early[k]);
    early[k] = seen.certain.size();
    return NextPart{piece};
  };
  const std::function<NextPart()> source = [&]() -> NextPart {
    if (!form) {
      // A followed text is text whatever the file turns out to be, so it has no byte-order
      // mark either: the merged file has none.
      if (auto piece = earlyPiece(0)) {
        next = std::max<std::size_t>(next, 1);
        return *piece;
      }
      const Input* first = inputAt(0);
      if (first == nullptr) {
        refused = true;
        return refuse;
      }
      form = MergedFormOf({first->path, first->text, first->detected}, output.to);
    }
    for (;;) {
      if (pieces) {
        if (const auto piece = pieces->Next()) return {*piece, false, false, pieces->Converts()};
        pieces.reset();
      }
      if (next == 0 && form->bom.empty()) next = 1;
      const std::size_t part = next;
      if (part == 0) {
        next = 1;
        return {form->bom.view()};
      }
      if (part > count + 1) return {{}, true};
      if (part == count + 1) {
        ++next;
        return {form->banner.view()};
      }
      if (auto piece = earlyPiece(part - 1)) return *piece;
      ++next;
      const Input* input = inputAt(part - 1);
      if (input == nullptr) {
        refused = true;
        return refuse;
      }
      if (input->detected.encoding != form->encoding) {
        if (early[part - 1] > 0) {
          again = true;
          return refuse;
        }
        if (!checked) {
          checked = true;
          for (std::size_t k = part - 1; k < count; ++k) {
            const Input* each = inputAt(k);
            if (each == nullptr) {
              refused = true;
              return refuse;
            }
            if (auto refusal =
                    RefuseMergeInput({each->path, each->text, each->detected}, form->encoding)) {
              PrintMessage(refusal->message);
              refused = true;
              return refuse;
            }
          }
        }
      }
      std::string_view text = input->text.view();
      // A followed text is its file's bytes from the start, of which some went out already.
      if (early[part - 1] > text.size()) return refuse;
      text.remove_prefix(early[part - 1]);
      pieces.emplace(text, input->detected.encoding, form->encoding);
    }
  };
  const Path path = MergedPath(target);
  WriteResult result = WriteFilePartsAsReady(path, source);
  if (again) {
    // Every input is read by now; the texts are written as a whole this time.
    follows = false;
    std::fill(early.begin(), early.end(), 0);
    pieces.reset();
    next = 0;
    result = WriteFilePartsAsReady(path, source);
  }
  // The first file's messages even when the write failed before its end; inputs the write
  // did not get to are still read before their mappings go.
  if (reported == 0) inputAt(0);
  if (reader.valid()) reader.wait();
  for (auto& read : reads) {
    if (read.valid()) read.wait();
  }
  if (refused) return kRefused;
  WriteReport report;
  report.Record(path, result);
  std::vector<std::int64_t> fileBytes(count, -1);
  for (std::size_t k = 0; k < count; ++k) {
    if (inputs[k]) fileBytes[k] = inputs[k]->fileBytes;
  }
  return Outcome(report, paths, fileBytes);
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

namespace {

// The junk rules a cleaning asked for: the built-in ones and those of a file, or nothing
// after a message that says why they cannot be read.
std::optional<std::shared_ptr<JunkRules>> JunkRulesOf(const CleanArgs& args) {
  auto rules = std::make_shared<JunkRules>();
  if (args.junk) rules->Add(JunkRules::BuiltIn());
  if (args.rules.empty()) return rules;
  const Path path = PathFromUtf8(args.rules);
  const TextRead read = ReadTextFile(path, ReadMode::kCopy, Encoding::kUtf8);
  if (!read.ok()) {
    PrintMessage(messages::CannotReadFile(path, read));
    return std::nullopt;
  }
  auto parsed = JunkRules::Parse(read.text.view());
  if (const auto* problem = std::get_if<JunkRules::Problem>(&parsed)) {
    PrintMessage(messages::BadJunkRule(DisplayName(path), problem->line, problem->error));
    return std::nullopt;
  }
  rules->Add(std::get<JunkRules>(std::move(parsed)));
  return rules;
}

// The line of a report row as its last column shows it: a control character (a tab, a line
// break, an escape that would drive the terminal, C0 and C1 alike) becomes a space, as in
// the titles of chapters --list, so that a row is one line of three columns.
void AppendShown(std::string& out, std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const bool c1 = c == 0xC2 && i + 1 < utf8.size() &&
                    static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(utf8[i + 1]) <= 0x9F;
    if (c < 0x20 || c == 0x7F || c1) {
      out += ' ';
      i += c1 ? 1 : 0;
    } else {
      out += utf8[i];
    }
  }
}

// The changes as TSV: line number, kind, the line in UTF-8.
int PrintReport(const Input& input, const LineCleaning& cleaning) {
  LineChangeFinder finder(input.text, input.detected.encoding, cleaning);
  std::vector<LineChange> changes;
  std::string out;
  // Written a part at a time, so that the report on a large text is never held whole; a
  // rule that gives up ends it with the exit status 1.
  while (finder.Next(changes)) {
    for (const LineChange& change : changes) {
      out += std::to_string(change.line);
      out += '\t';
      out += LineChangeKindName(change.kind);
      out += '\t';
      const std::string_view line = LineAt(
          input.text.view(), static_cast<std::size_t>(change.offset), input.detected.encoding);
      // Shown as it stands: a byte that is no character goes out as that byte.
      AppendShown(out, EncodeBack(Encoding::kUtf8, Decode(input.detected.encoding, line)));
      out += '\n';
    }
    changes.clear();
    if (!WriteStdout(out)) return kRefused;
    out.clear();
  }
  if (finder.error()) {
    PrintMessage(messages::JunkRuleGaveUp(finder.error()->line, finder.error()->problem));
    return kRefused;
  }
  return WriteStdout(out) ? 0 : kRefused;
}

// The cleaned text a part at a time: the lines, then the white space of each part, then
// the conversion. A part ends after a line break, so no CR LF pair, no character and no
// phrase is ever split between two.
class CleanedParts {
 public:
  CleanedParts(const Input& input, const LineCleaning& cleaning, CleanChoice choice,
               ScriptConverter* converter, Encoding target)
      : input_(input),
        cleaning_(cleaning),
        choice_(choice),
        converter_(converter),
        target_(target),
        finder_(input.text, input.detected.encoding, cleaning) {}

  // The next part; nothing at the end, or when a rule gave up or a character does not fit
  // the target (failed() says whether).
  std::optional<std::string_view> Next() {
    const Encoding encoding = input_.detected.encoding;
    const bool asItIs = converter_ == nullptr && target_ == encoding;
    std::optional<std::string_view> unchanged;
    if (unfit_ || !NextCleaned(part_, asItIs ? &unchanged : nullptr)) return std::nullopt;
    if (asItIs) return unchanged ? *unchanged : std::string_view(part_);
    if (converter_ == nullptr) return Keep(Transcode(encoding, target_, part_), part_);
    // The conversion takes most of the time: two parts are converted side by side, each
    // by a converter of its own.
    if (!NextCleaned(second_)) return Keep(converter_->Convert(part_, encoding, target_), part_);
    if (!other_) other_ = ScriptConverter::Open(config_, nullptr);
    std::future<EncodedText> later;
    try {
      if (!other_) throw std::system_error(std::make_error_code(std::errc::not_supported));
      later = std::async(std::launch::async,
                         [&] { return other_->Convert(second_, encoding, target_); });
    } catch (const std::system_error&) {
      later = std::async(std::launch::deferred,
                         [&] { return converter_->Convert(second_, encoding, target_); });
    }
    EncodedText first = converter_->Convert(part_, encoding, target_);
    EncodedText second = later.get();
    if (first.unencodable == 0) {
      first.bytes += second.bytes;
      first.unencodable = second.unencodable;
      first.firstUnencodableChar = second.firstUnencodableChar;
    }
    return Keep(std::move(first), part_);
  }

  // The conversion's configuration, for the converter of the second thread.
  void ConvertsBy(std::string_view config) { config_ = config; }
  // The lines and white space of the next part, into part.
  // A part that nothing changes goes to unchanged, when given, as the text's own bytes: a
  // text of one long line is never copied whole.
  bool NextCleaned(std::string& part, std::optional<std::string_view>* unchanged = nullptr) {
    const Encoding encoding = input_.detected.encoding;
    if (!finder_.Next(changes_)) return false;
    part.clear();
    if (unchanged != nullptr && changes_.empty() &&
        !(choice_.spaces || choice_.lineBreaks || choice_.tabs)) {
      *unchanged = input_.text.view().substr(from_, finder_.end() - from_);
      from_ = finder_.end();
      return true;
    }
    AppendWithChanges(part, input_.text.view(), from_, finder_.end(), encoding,
                      cleaning_.indentation, changes_);
    changes_.clear();
    from_ = finder_.end();
    if (choice_.spaces || choice_.lineBreaks || choice_.tabs) {
      part = ToBytes(Cleaned(ByteText::Copy(part), encoding, choice_));
    }
    return true;
  }

  // The converted bytes in part, or nothing when a character does not fit.
  std::optional<std::string_view> Keep(EncodedText converted, std::string& part) {
    if (converted.unencodable > 0) {
      unfit_ = converted.firstUnencodableChar;
      return std::nullopt;
    }
    part = std::move(converted.bytes);
    return part;
  }

  // Says why the parts ended early, if they did.
  bool failed() const {
    if (finder_.error()) {
      PrintMessage(messages::JunkRuleGaveUp(finder_.error()->line, finder_.error()->problem));
      return true;
    }
    if (unfit_) {
      PrintMessage(messages::ConvertedDoesNotFit(target_, *unfit_) + "：--to utf-8");
      return true;
    }
    return false;
  }

 private:
  const Input& input_;
  const LineCleaning& cleaning_;
  CleanChoice choice_;
  ScriptConverter* converter_;
  Encoding target_;
  LineChangeFinder finder_;
  std::vector<LineChange> changes_;
  std::string part_;
  std::string second_;
  std::string config_;
  std::unique_ptr<ScriptConverter> other_;
  std::size_t from_ = 0;
  std::optional<char32_t> unfit_;
};

std::optional<Input> CleanedForBook(const Input& input, const EpubArgs& epub) {
  LineCleaning cleaning;
  cleaning.repeatedTitles = epub.repeatedTitles.value_or(true);
  cleaning.blankLines = epub.blankLines;
  cleaning.indentation = epub.indentation;
  if (epub.junk || !epub.rules.empty()) {
    CleanArgs args;
    args.junk = epub.junk;
    args.rules = epub.rules;
    auto rules = JunkRulesOf(args);
    if (!rules) return std::nullopt;
    cleaning.junk = std::move(*rules);
  }
  std::unique_ptr<ScriptConverter> converter;
  if (!epub.convert.empty()) {
    ScriptConversionProblem whyNot;
    converter = ScriptConverter::Open(epub.convert, &whyNot);
    if (!converter) {
      PrintMessage(messages::CannotConvertScript(epub.convert, whyNot));
      return std::nullopt;
    }
  }
  if (!converter) {
    // A text with nothing to clean (most, for the repeated headings a book takes away by
    // default) is used as it is, mapped: no copy of a gigabyte for nothing.
    LineChangeFinder finder(input.text, input.detected.encoding, cleaning);
    std::vector<LineChange> changes;
    while (changes.empty() && finder.Next(changes)) {
    }
    if (finder.error()) {
      PrintMessage(messages::JunkRuleGaveUp(finder.error()->line, finder.error()->problem));
      return std::nullopt;
    }
    if (changes.empty()) return input;
  }
  // A book is UTF-8: a converted text goes there, where every character fits.
  const Encoding target = converter ? Encoding::kUtf8 : input.detected.encoding;
  CleanedParts parts(input, cleaning, CleanChoice{}, converter.get(), target);
  parts.ConvertsBy(epub.convert);
  std::string text;
  while (const auto piece = parts.Next()) text += *piece;
  if (parts.failed()) return std::nullopt;
  Input cleaned = input;
  cleaned.text = ByteText(std::move(text));
  cleaned.detected = {target, false};
  return cleaned;
}

}  // namespace

int RunClean(const CleanArgs& args, const std::string& file, const RunFiles& files) {
  const WarnsWhenDone warns;
  const auto input = ReadInput(file, args.encoding);
  if (!input) return kRefused;
  const CleanChoice choice{args.spaces, args.lineBreaks, args.tabs};
  const Encoding encoding = input->detected.encoding;
  LineCleaning cleaning;
  cleaning.repeatedTitles = args.repeatedTitles;
  cleaning.blankLines = args.blankLines;
  cleaning.trailingSpace = args.trailingSpace;
  cleaning.indentation = args.indentation;
  if (args.junk || !args.rules.empty()) {
    auto rules = JunkRulesOf(args);
    if (!rules) return kRefused;
    cleaning.junk = std::move(*rules);
  }
  if (args.report) return PrintReport(*input, cleaning);
  std::unique_ptr<ScriptConverter> converter;
  if (!args.convert.empty()) {
    ScriptConversionProblem whyNot;
    converter = ScriptConverter::Open(args.convert, &whyNot);
    if (!converter) {
      PrintMessage(messages::CannotConvertScript(args.convert, whyNot));
      return kRefused;
    }
  }
  const Encoding target = args.to.value_or(encoding);
  const bool reencodes = converter || target != encoding;
  if (reencodes && RefusedUndecodable(*input, target)) return kRefused;
  if (!cleaning.any() && !reencodes && args.out.empty()) {
    // The cleaned text goes out a part at a time: a large file's result is never held whole.
    return CleanInParts(input->text, encoding, choice,
                        [](std::string_view part) { return WriteStdout(part); })
               ? 0
               : kRefused;
  }

  // --out naming a device or a FIFO (links followed) is written as a stream, as standard
  // output is, with the byte-order mark a file would get: it is never replaced.
  const bool stream = !args.out.empty() && IsStream(files.file);
  if (args.out.empty() || stream) {
    // A stream cannot be taken back: where the target may lack a character, a first pass
    // makes sure every one fits before the second writes anything.
    if (reencodes && target != Encoding::kUtf8 && !IsUtf16(target) &&
        target != Encoding::kGb18030) {
      CleanedParts check(*input, cleaning, choice, converter.get(), target);
      check.ConvertsBy(args.convert);
      while (check.Next()) {
      }
      if (check.failed()) return kRefused;
    }
    const int out = stream ? OpenStream(files.file) : -1;
    const auto failed = [&] {
      WriteResult failure;
      failure.error = PosixError(errno, FileOperation::kWrite, files.file);
      PrintMessage(messages::WritesFailed(1, files.file, failure));
      if (out >= 0) CloseStream(out);
      return kRefused;
    };
    if (stream && out < 0) return failed();
    const auto write = [&](std::string_view bytes) {
      return stream ? WriteStream(out, bytes) : WriteStdout(bytes);
    };
    if (stream && input->detected.bom && !write(BomOf(target))) return failed();
    CleanedParts parts(*input, cleaning, choice, converter.get(), target);
    parts.ConvertsBy(args.convert);
    while (const auto piece = parts.Next()) {
      if (write(*piece)) continue;
      return stream ? failed() : kRefused;
    }
    if (stream) CloseStream(out);
    return parts.failed() ? kRefused : 0;
  }

  // Into a file: whole or not at all, and never over the input.
  const OutputPlan plan = SingleFilePlan(files.file);
  const Path inputs[] = {input->path};
  if (Refused(plan, files)) return kRefused;
  CleanedParts parts(*input, cleaning, choice, converter.get(), target);
  parts.ConvertsBy(args.convert);
  bool ended = false;
  bool bomSent = !input->detected.bom;
  const std::function<NextPart()> source = [&]() -> NextPart {
    if (!bomSent) {
      bomSent = true;
      return {BomOf(target)};
    }
    const auto piece = parts.Next();
    if (!piece) {
      ended = true;
      return NextPart{{}, true};
    }
    return {*piece, false, false, true};
  };
  // A part that fails ends the parts early: the file is abandoned then, not written short.
  const std::function<NextPart()> whole = [&]() -> NextPart {
    NextPart next = source();
    if (next.done && ended && (parts.failed())) return NextPart{{}, false, true};
    return next;
  };
  const Path outPath = JoinPath(plan.target.folder, plan.name(1));
  WriteReport report;
  const WriteResult result = WriteFilePartsAsReady(outPath, whole);
  if (result.error.kind() == ErrorKind::kCancelled) return kRefused;
  report.Record(outPath, result);
  const std::int64_t lengths[] = {input->fileBytes};
  return Outcome(report, inputs, lengths);
}

int RunBanner() {
  return WriteStdoutText(BannerConstant().view(), Encoding::kGbk) ? 0 : kRefused;
}

}  // namespace morvane::cli
