// SPDX-License-Identifier: MIT
#pragma once
// What the commands of morvane-cli share: reading their inputs (mapped, side by side, with
// the messages of each in the order of the files and the late count of undecodable bytes),
// the target of --out and --prefix, the output check by the declared files, the chapter map
// of --rule, --map and --skip, and the exit code of a write's report.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "core/files.h"
#include "engine/chapter_map.h"
#include "engine/chapter_rules.h"
#include "engine/output_writing.h"

namespace morvane::cli {

inline constexpr int kRefused = 1;

// A number from the command line as the desktop's number boxes read it: beyond the int
// range it saturates.
int Saturated(std::int64_t value);

struct Input {
  Path path;
  ByteText text;
  Detected detected;
  std::int64_t fileBytes = 0;  // the file's length when it was read
  // The bytes of the text that are no character of its encoding, when the read counted them.
  std::optional<Undecodable> undecodable;
};

// Prints the late warnings of the inputs read so far (the count of bytes that are no
// character of a text's encoding, where the read did not make it on the way, runs on the
// other core beside the command's work), in the
// order of the inputs, when the command that read them is over: after what it wrote, and
// after its own messages.
struct WarnsWhenDone {
  WarnsWhenDone() = default;
  WarnsWhenDone(const WarnsWhenDone&) = delete;
  WarnsWhenDone& operator=(const WarnsWhenDone&) = delete;
  ~WarnsWhenDone();
};

// The outcome of reading one input: a message naming the file when it cannot be read, a
// warning when its text ends early, and later one (WarnsWhenDone) when it holds bytes that
// are no character of its encoding. index is the file's place among the command's inputs,
// for the guard.
std::optional<Input> Reported(const Path& path, const TextRead& read, std::size_t index);
// Whether the text of input, to be converted into target, holds bytes that are no character
// of its encoding: they cannot be carried into another encoding, and are refused (said).
bool RefusedUndecodable(const Input& input, Encoding target);
// The text of input cleaned as the book's options ask (in UTF-8 when converted), or nothing
// after the message that says why not; with the cleaning, in cleaning_commands.cpp.
std::optional<Input> CleanedForBook(const Input& input, const EpubArgs& epub);
// Reads one file whole, mapped, as Reported says.
std::optional<Input> ReadInput(const std::string& nativePath, std::optional<Encoding> encoding);

// The folder of --out and the prefix of --prefix, or the input's base name.
OutputTarget TargetOf(const OutputArgs& output, const Path& input);
// The check of engine/output_checks.h by the command's declared files; true after the
// message when the outputs are refused.
bool Refused(const OutputPlan& plan, const RunFiles& files);

// The exit code of a write, after the messages of its failures. lengths are the inputs'
// lengths when they were read (-1 where one was not), to name those that changed.
int Outcome(const WriteReport& report, std::span<const Path> inputs,
            std::span<const std::int64_t> lengths = {});

// The map of the input by rule, or read from mapFile when one is given; false after the
// message when there is none.
bool MapInto(ChapterPlan& plan, const Input& input, const ChapterRule& rule,
             const std::string& mapFile);
// The headings of --skip left uncut; false after the message when the list is wrong.
bool SkipInto(ChapterPlan& plan, const std::string& skip);

}  // namespace morvane::cli
