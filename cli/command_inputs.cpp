// SPDX-License-Identifier: MIT
#include "cli/command_inputs.h"

#include <climits>
#include <future>
#include <system_error>

#include "cli/input_guard.h"
#include "cli/terminal.h"
#include "engine/map_file.h"
#include "engine/messages.h"
#include "engine/output_checks.h"

namespace morvane::cli {
namespace {

// Warnings about inputs that are found beside the command's work: the count of bytes that
// are no character of a text's encoding, where the read did not make it on the way (a GBK
// text's is made there), is a pass over every byte, so it runs on the other core while the
// text is cut or merged, never ahead of the first write. Each count gives its message, or
// nothing.
std::vector<std::future<std::string>>& LateWarnings() {
  // A thread's own: the books of a batch are made side by side, each telling its own.
#if defined(_WIN32)
  // In memory of its own that is never freed (one per thread of a batch): MinGW-w64's
  // runtime may free a thread's thread_local storage before it runs their destructors,
  // which would then free whatever that memory holds by then.
  thread_local auto* warnings = new std::vector<std::future<std::string>>;
  return *warnings;
#else
  thread_local std::vector<std::future<std::string>> warnings;
  return warnings;
#endif
}

std::string UndecodableWarning(const Path& path, const Detected& detected,
                               const Undecodable& undecodable) {
  if (undecodable.count == 0) return std::string();
  const std::size_t bom = detected.bom ? BomOf(detected.encoding).size() : 0;
  return messages::UndecodableBytes(path, detected.encoding,
                                    static_cast<std::int64_t>(undecodable.count),
                                    static_cast<std::int64_t>(undecodable.first + bom));
}

// The warning about the bytes of the text of read that are no character of its encoding
// (they are kept as they are), counted beside what follows where the read did not count
// them; it comes from WarnsWhenDone.
void WarnUndecodableLater(const Path& path, const TextRead& read) {
  if (read.undecodable) {
    std::promise<std::string> known;
    known.set_value(UndecodableWarning(path, read.detected, *read.undecodable));
    LateWarnings().push_back(known.get_future());
    return;
  }
  // The task keeps the text (and so its mapping) alive until it is done.
  auto count = [path, text = read.text, detected = read.detected] {
    return UndecodableWarning(path, detected, FindUndecodable(detected.encoding, text.view()));
  };
  // Where the system gives no thread, the count is made when its warning is due.
  try {
    LateWarnings().push_back(std::async(std::launch::async, std::move(count)));
  } catch (const std::system_error&) {
    LateWarnings().push_back(std::async(std::launch::deferred, std::move(count)));
  }
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

// The prefix the desktop would set for this file: it always hands over a full path, so
// a bare file name is taken as one in the current folder.
Path DefaultPrefixOf(const Path& path) {
  return BaseNameOf(path);
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

}  // namespace

// A number from the command line as the desktop's number boxes read it: beyond the int
// range it saturates.
int Saturated(std::int64_t value) {
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

WarnsWhenDone::~WarnsWhenDone() {
  for (auto& warning : LateWarnings()) {
    const std::string message = warning.get();
    if (!message.empty()) PrintMessage(message);
  }
  LateWarnings().clear();
}

std::optional<Input> Reported(const Path& path, const TextRead& read, std::size_t index) {
  if (!read.ok()) {
    PrintMessage(messages::CannotReadFile(path, read));
    return std::nullopt;
  }
  GuardMappedInput(index, read.text.view());
  if (read.EndedEarly()) PrintMessage(messages::TextEndedEarly(path, read));
  WarnUndecodableLater(path, read);
  return Input{path, read.text, read.detected, read.fileBytes, read.undecodable};
}

bool RefusedUndecodable(const Input& input, Encoding target) {
  const Undecodable undecodable = input.undecodable
                                      ? *input.undecodable
                                      : FindUndecodable(input.detected.encoding, input.text.view());
  if (undecodable.count == 0) return false;
  const std::size_t bom = input.detected.bom ? BomOf(input.detected.encoding).size() : 0;
  PrintMessage(messages::CannotConvertBytes(input.path, input.detected.encoding,
                                            static_cast<std::int64_t>(undecodable.first + bom),
                                            target));
  return true;
}

std::optional<Input> ReadInput(const std::string& nativePath, std::optional<Encoding> encoding) {
  auto inputs = ReadInputs({nativePath}, encoding);
  if (!inputs) return std::nullopt;
  return inputs->front();
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

int Outcome(const WriteReport& report, std::span<const Path> inputs,
            std::span<const std::int64_t> lengths) {
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

}  // namespace morvane::cli
