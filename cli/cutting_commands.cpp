// SPDX-License-Identifier: MIT
// morvane-cli cut and chapters: the cuts by size and the chapter cut (engine/chapter_cut_job.h),
// with the chapter map's options (--rule, --map, --skip, --per-file, --names, --list).

#include "cli/command_inputs.h"
#include "cli/terminal.h"
#include "engine/chapter_cut_job.h"
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
// files, and the number of headings when they were all written.
int CutChapters(const ChapterCutJob& job, const Input& input, const RunFiles& files) {
  const Path inputs[] = {input.path};
  if (Refused(job.Outputs(), files)) return kRefused;
  const int result = Outcome(job.Run(), inputs);
  return result == 0 ? PrintCount(job.headings()) : result;
}

}  // namespace

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
  return CutChapters(
      ChapterCutJob(TargetOf(output, input->path), input->text, OutputFormOf(input->detected)),
      *input, files);
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
  return CutChapters(ChapterCutJob(TargetOf(output, input->path), input->text,
                                   OutputFormOf(input->detected), std::move(plan)),
                     *input, files);
}

}  // namespace morvane::cli
