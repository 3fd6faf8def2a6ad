// SPDX-License-Identifier: MIT
// morvane-cli cut and chapters: the cuts by size and the chapter cut (engine/chapter_cut_job.h),
// with the chapter map's options (--rule, --map, --skip, --per-file, --names, --list).

#include "cli/command_inputs.h"
#include "cli/terminal.h"
#include "engine/chapter_cut_job.h"
#include "engine/map_doubts.h"
#include "engine/map_file.h"
#include "engine/messages.h"
#include "engine/size_cutting.h"

namespace morvane::cli {
namespace {

// Both cuts of the command line refuse an empty text, with the message of the simple cut.
bool RefusedEmpty(const Input& input) {
  if (!input.text.empty()) return false;
  PrintMessage(messages::FileToCutIsEmpty() + "\n" + DisplayName(input.path));
  return true;
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

// The chapter cut, once the job knows what it cuts at: the check of the outputs, the
// files, and the number of headings when they were all written (on standard output when
// print, else only in the outcome).
void CutChapters(const ChapterCutJob& job, const Input& input, const RunFiles& files, bool print,
                 FileOutcome& outcome) {
  const Path inputs[] = {input.path};
  if (Refused(job.Outputs(), files)) return;
  outcome.exitCode = Outcome(job.Run(), inputs);
  outcome.chapters = static_cast<std::size_t>(job.headings());
  if (outcome.exitCode == 0 && print) outcome.exitCode = PrintCount(job.headings());
}

// The doubts of a map, as the map window has them.
void DoubtsInto(FileOutcome& outcome, const ChapterMap& map) {
  outcome.flagged = FlaggedHeadings(map);
  outcome.doubtful = MapLooksWrong(map);
}

bool PlainSearch(const ChapterArgs& chapters) {
  return chapters.rule == "near" && !chapters.list && chapters.skip.empty() &&
         chapters.perFile == 1 && !chapters.titleNames && !chapters.volumeNames &&
         chapters.map.empty();
}

// chapters for one file; print says whether the number of headings goes to standard output
// (one file alone) or the map's doubts are wanted (a file of a batch).
FileOutcome ChaptersOf(const OutputArgs& output, const ChapterArgs& chapters,
                       const std::string& file, const RunFiles& files, bool print) {
  const WarnsWhenDone warns;
  FileOutcome outcome;
  const auto rule = ParseRule(chapters.rule);
  const auto input = ReadInput(file, output.encoding);
  if (!input || !rule) return outcome;
  outcome.encoding = input->detected.encoding;
  if (PlainSearch(chapters)) {
    if (!print) {
      // The plain search keeps no map: the doubts are those of the map of its rule.
      auto map = MapOf(input->text, *rule, input->detected.encoding);
      if (const auto* found = std::get_if<ChapterMap>(&map)) DoubtsInto(outcome, *found);
    }
    CutChapters(
        ChapterCutJob(TargetOf(output, input->path), input->text, OutputFormOf(input->detected)),
        *input, files, print, outcome);
    return outcome;
  }
  ChapterPlan plan;
  if (!MapInto(plan, *input, *rule, chapters.map)) return outcome;
  if (chapters.list) {
    outcome.exitCode =
        WriteMapLines(plan.map, [](std::string_view part) { return WriteStdout(part); }) ? 0
                                                                                         : kRefused;
    return outcome;
  }
  if (!SkipInto(plan, chapters.skip)) return outcome;
  DoubtsInto(outcome, plan.map);
  plan.choice.perFile = chapters.perFile;
  plan.choice.names = chapters.volumeNames  ? NameStyle::kVolume
                      : chapters.titleNames ? NameStyle::kTitle
                                            : NameStyle::kNumber;
  CutChapters(ChapterCutJob(TargetOf(output, input->path), input->text,
                            OutputFormOf(input->detected), std::move(plan)),
              *input, files, print, outcome);
  return outcome;
}

}  // namespace

FileOutcome CutFile(std::int64_t size, bool kilobytes, const OutputArgs& output,
                    const std::string& file, const RunFiles& files) {
  const WarnsWhenDone warns;
  FileOutcome outcome;
  const int pieceBytes =
      kilobytes ? PieceBytesOfKilobytes(Saturated(size)) : SimplePieceBytesOf(Saturated(size));
  if (pieceBytes < 1) {
    PrintMessage(kilobytes ? messages::BadCutSize() : messages::BadPieceBytes());
    return outcome;
  }
  const auto input = ReadInput(file, output.encoding);
  if (!input) return outcome;
  outcome.encoding = input->detected.encoding;
  if (RefusedEmpty(*input)) return outcome;
  outcome.exitCode = CutBySize(*input, pieceBytes, output, files);
  return outcome;
}

int RunSimpleCut(std::int64_t bytes, const OutputArgs& output, const std::string& file,
                 const RunFiles& files) {
  return CutFile(bytes, false, output, file, files).exitCode;
}

int RunNormalCut(std::int64_t kilobytes, const OutputArgs& output, const std::string& file,
                 const RunFiles& files) {
  return CutFile(kilobytes, true, output, file, files).exitCode;
}

int RunChapters(const OutputArgs& output, const std::string& file, const RunFiles& files) {
  return RunChapters(output, ChapterArgs{}, file, files);
}

int RunChapters(const OutputArgs& output, const ChapterArgs& chapters, const std::string& file,
                const RunFiles& files) {
  return ChaptersOf(output, chapters, file, files, true).exitCode;
}

FileOutcome ChaptersOfFile(const OutputArgs& output, const ChapterArgs& chapters,
                           const std::string& file, const RunFiles& files) {
  return ChaptersOf(output, chapters, file, files, false);
}

}  // namespace morvane::cli
