// morvane-cli: cuts and merges GBK text files as the desktop program does, without a
// window. See commands.h for what each command does.

#include <CLI/CLI.hpp>

#include <charconv>
#include <cstdint>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "core/encoding.h"
#include "core/files.h"

namespace {

const char* const kEncodingHelp =
    "the input's encoding: auto (detected: a byte-order mark, UTF-8, UTF-16, GB18030, Big5, "
    "else GBK), gbk, gb18030, utf-8, utf-16le, utf-16be or big5";

const CLI::Validator kEncodingName(
    [](std::string& value) -> std::string {
      if (value == "auto" || morvane::EncodingFromName(value)) return {};
      return "'" + value + "' is no encoding: auto, gbk, gb18030, utf-8, utf-16le, utf-16be, big5";
    },
    "ENCODING");

// --out and --prefix of a writing command; the prefix stays unset unless given.
struct OutputOptions {
  std::string folder;
  std::string prefix;
  CLI::Option* prefixOption = nullptr;

  CLI::Option* outOption = nullptr;

  std::string encoding = "auto";

  void AddTo(CLI::App& command, bool required = true) {
    command.add_option("--encoding", encoding, kEncodingHelp)->check(kEncodingName);
    prefixOption = command.add_option(
        "--prefix", prefix, "file-name prefix (default: the input's name without its extension)");
    outOption = command.add_option("--out", folder, "folder for the output files (must exist)");
    if (required) outOption->required();
  }
  morvane::cli::OutputArgs Args() const {
    morvane::cli::OutputArgs args{folder, std::nullopt, morvane::EncodingFromName(encoding),
                                  std::nullopt};
    if (prefixOption->count() > 0) args.prefix = prefix;
    return args;
  }
};

// Sizes are decimal, as the desktop's number boxes read them: "010" is ten, and "0x10"
// is no number (the parser's own reading would take them as octal and hex).
const CLI::Validator kDecimal(
    [](std::string& value) -> std::string {
      const std::size_t digits = value.starts_with('+') || value.starts_with('-') ? 1 : 0;
      if (value.size() > digits &&
          value.find_first_not_of("0123456789", digits) == std::string::npos)
        return {};
      return "'" + value + "' is not a decimal number";
    },
    "DECIMAL");

// A decimal size; beyond the 64-bit range it saturates (any such size is refused later).
std::int64_t DecimalValue(const std::string& text) {
  std::int64_t value = 0;
  const char* begin = text.data() + (text.starts_with('+') ? 1 : 0);
  const auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) return text.starts_with('-') ? INT64_MIN : INT64_MAX;
  return value;
}

}  // namespace

namespace morvane::cli {

// The program behind main; argv in UTF-8 (on Windows wmain converts it).
int RunCommandLine(int argc, char** argv) {
  CLI::App app{
      "Cuts large text files (GBK, GB18030, UTF-8, UTF-16 or Big5, detected) into pieces and "
      "merges files; every output keeps the input's own bytes.",
      "morvane-cli"};
  app.require_subcommand(1);
  // "/x" is a path here, never an option, also on Windows (where the parser's default
  // would take it for one).
  app.allow_windows_style_options(false);

  std::string file;
  std::string bytes;
  std::string kilobytes;
  CLI::App* cut = app.add_subcommand(
      "cut",
      "Cut FILE into numbered files prefix-1.txt, prefix-2.txt, ... of a given size; a piece "
      "ends at the first character boundary at or after its size (characters counted from the "
      "start of the text in its encoding), so it never splits a character: in GBK and Big5 a "
      "piece is at most one byte longer, in UTF-8, UTF-16 and GB18030 at most three.");
  CLI::Option* bytesOption =
      cut->add_option("--bytes", bytes, "simple cut: N bytes per piece (0 means 1)")
          ->check(kDecimal);
  CLI::Option* kbOption =
      cut->add_option("--kb", kilobytes, "normal cut: N * 1024 bytes per piece (1 to 2097151)")
          ->check(kDecimal);
  bytesOption->excludes(kbOption);
  OutputOptions cutOutput;
  cutOutput.AddTo(*cut);
  cut->add_option("FILE", file, "the text file to cut")->required();

  CLI::App* chapters = app.add_subcommand(
      "chapters",
      "Cut FILE at its chapter headings (a \"第\" followed within 16 bytes by a \"章\") into "
      "prefix-0.txt (the text before the first heading), prefix-1.txt, ...; prints the number "
      "of headings found. --list shows the chapter map instead; --rule, --skip, --per-file "
      "and --names change the cut.");
  OutputOptions chaptersOutput;
  chaptersOutput.AddTo(*chapters, /*required=*/false);
  chapters->add_option("FILE", file, "the text file to cut")->required();
  morvane::cli::ChapterArgs chapterArgs;
  chapters->add_flag("--list", chapterArgs.list,
                     "print the chapter map instead of cutting: one tab-separated line per "
                     "heading, \"index offset length number title flags\" (offset 0-based, in "
                     "bytes; flags among gap, repeat, restart, long, short, inline)");
  chapters
      ->add_option("--rule", chapterArgs.rule,
                   "where chapters begin: near (a \"第\" with a \"章\" within 16 bytes, the "
                   "default), lines (a short line \"第N章 title\", with 节回卷集部篇 too, or "
                   "序章, 楔子, 番外..., or \"Chapter N\"), or regex:PATTERN (an ICU regular "
                   "expression matched against each line)")
      ->check([](const std::string& rule) -> std::string {
        if (rule == "near" || rule == "lines" || rule.starts_with("regex:")) return {};
        return "'" + rule + "' is no rule: near, lines or regex:PATTERN";
      });
  chapters->add_option("--skip", chapterArgs.skip,
                       "headings not cut at, by their index in the map: 3,5-7 (each joins the "
                       "chapter before it)");
  chapters->add_option("--per-file", chapterArgs.perFile, "chapters per file (default 1)")
      ->check(CLI::Range(1, 1 << 30));
  std::string chapterNames = "number";
  chapters
      ->add_option("--names", chapterNames,
                   "number: prefix-0.txt, prefix-1.txt, ... (the default); title: "
                   "\"prefix-0001 第一章 title.txt\", numbered so that the names sort")
      ->check(CLI::IsMember({"number", "title"}));

  std::vector<std::string> files;
  CLI::App* merge = app.add_subcommand(
      "merge", "Join two to five files, in order and without separators, into prefix已合并.txt.");
  OutputOptions mergeOutput;
  mergeOutput.AddTo(*merge);
  merge->add_option("FILES", files, "the files to join (2 to 5)")->required()->expected(2, 5);
  std::string mergeTo;
  merge
      ->add_option("--to", mergeTo,
                   "the merged file's encoding (default: the first file's); the other files "
                   "are converted into it, and a character it cannot hold refuses the merge")
      ->check(kEncodingName);

  morvane::cli::CleanArgs clean;
  CLI::App* cleanCommand = app.add_subcommand(
      "clean",
      "Write FILE's text without the chosen white space to standard output (no banner). "
      "Removals run in this order: spaces, line breaks, tabs.");
  cleanCommand->add_flag("--spaces", clean.spaces, "remove half-width spaces (0x20)");
  cleanCommand->add_flag("--line-breaks", clean.lineBreaks, "remove CR LF pairs");
  cleanCommand->add_flag("--tabs", clean.tabs, "remove tabs (0x09)");
  cleanCommand->add_option("FILE", file, "the text file to clean")->required();
  std::string cleanEncoding = "auto";
  cleanCommand->add_option("--encoding", cleanEncoding, kEncodingHelp)->check(kEncodingName);

  std::vector<std::string> detectFiles;
  CLI::App* detect = app.add_subcommand(
      "detect",
      "Print one line per FILE: its encoding as detected (gbk, gb18030, utf-8, utf-16le, "
      "utf-16be, big5), followed by \" bom\" when the file starts with a byte-order mark.");
  detect->add_option("FILE", detectFiles, "the files to look at")->required();

  CLI::App* banner = app.add_subcommand(
      "banner", "Write the banner that ends every output file to standard output.");

  CLI11_PARSE(app, argc, argv);
  morvane::HandleWriteSignals();

  if (cut->parsed()) {
    if (bytesOption->count() > 0) return RunSimpleCut(DecimalValue(bytes), cutOutput.Args(), file);
    if (kbOption->count() > 0) return RunNormalCut(DecimalValue(kilobytes), cutOutput.Args(), file);
    std::cerr << "morvane-cli: cut needs --bytes N or --kb N\n" << cut->help();
    return 2;
  }
  if (chapters->parsed()) {
    if (!chapterArgs.list && chaptersOutput.outOption->count() == 0) {
      std::cerr << "morvane-cli: chapters needs --out DIR (or --list)\n" << chapters->help();
      return 2;
    }
    chapterArgs.titleNames = chapterNames == "title";
    return RunChapters(chaptersOutput.Args(), chapterArgs, file);
  }
  if (merge->parsed()) {
    OutputArgs args = mergeOutput.Args();
    if (!mergeTo.empty() && mergeTo != "auto") args.to = morvane::EncodingFromName(mergeTo);
    return RunMerge(args, files);
  }
  if (cleanCommand->parsed()) {
    clean.encoding = morvane::EncodingFromName(cleanEncoding);
    return RunClean(clean, file);
  }
  if (detect->parsed()) return RunDetect(detectFiles);
  if (banner->parsed()) return RunBanner();
  return 2;
}

}  // namespace morvane::cli

#ifndef _WIN32
int main(int argc, char** argv) {
  return morvane::cli::RunCommandLine(argc, argv);
}
#endif
