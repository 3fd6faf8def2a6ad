// SPDX-License-Identifier: MIT
// morvane-cli clean: the chosen lines cleaned (engine/line_cleaning.h), then the chosen
// white space, then a conversion of script or encoding, a part at a time, onto standard
// output, a stream, or a file written whole; or the report of the changes as TSV.

#include <functional>
#include <future>
#include <memory>
#include <system_error>

#include "cli/command_inputs.h"
#include "cli/terminal.h"
#include "engine/line_cleaning.h"
#include "engine/messages.h"
#include "engine/output_checks.h"
#include "engine/script_conversion.h"
#include "engine/whitespace_cleaning.h"

namespace morvane::cli {
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
      part = ToBytes(Cleaned(ByteText(std::move(part)), encoding, choice_));
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

}  // namespace

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

namespace {

// clean of a text that was read.
int CleanInput(const CleanArgs& args, const std::optional<Input>& input, const RunFiles& files) {
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

}  // namespace

FileOutcome CleanFile(const CleanArgs& args, const std::string& file, const RunFiles& files) {
  const WarnsWhenDone warns;
  FileOutcome outcome;
  const auto input = ReadInput(file, args.encoding);
  if (!input) return outcome;
  outcome.encoding = input->detected.encoding;
  outcome.exitCode = CleanInput(args, input, files);
  return outcome;
}

int RunClean(const CleanArgs& args, const std::string& file, const RunFiles& files) {
  return CleanFile(args, file, files).exitCode;
}

}  // namespace morvane::cli
