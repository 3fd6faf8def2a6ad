// SPDX-License-Identifier: MIT
// morvane-cli: cuts and merges GBK text files as the desktop program does, without a
// window. See commands.h for what each command does.

#include <CLI/CLI.hpp>

#include <charconv>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/commands.h"
#include "cli/terminal.h"
#include "core/encoding.h"
#include "core/fatal.h"
#include "core/files.h"
#include "engine/script_conversion.h"

namespace {

constexpr int kUsageError = 2;

const char* const kEncodingHelp =
    "the input's encoding: auto (detected: a byte-order mark, UTF-8, UTF-16, GB18030, Big5, "
    "else GBK), gbk, gb18030, utf-8, utf-16le, utf-16be or big5";

// The short usage of each command, shown with every usage error of that command.
const std::map<std::string, std::string>& Usages() {
  static const std::map<std::string, std::string> usages = {
      {"",
       "morvane-cli cut|chapters|epub|merge|clean|detect|banner ...（morvane-cli --help 看说明）"},
      {"cut",
       "morvane-cli cut --bytes N|--kb N [--prefix P] [--encoding E] [--jobs N] --out DIR "
       "FILE..."},
      {"chapters",
       "morvane-cli chapters [--rule R|--map MAP] [--skip LIST] [--per-file N] "
       "[--names number|title|volume] [--prefix P] [--encoding E] [--jobs N] --out DIR FILE...，或 "
       "morvane-cli chapters --list [--rule R|--map MAP] FILE"},
      {"epub",
       "morvane-cli epub [--rule R|--map MAP] [--skip LIST] [--title T] [--author A] "
       "[--description D] [--cover IMAGE] [--css FILE] [--language L] [--vertical] [--junk] "
       "[--rules FILE] [--no-repeated-titles] [--blank-lines one|none] [--indent "
       "fullwidth|none|keep] [--convert CONFIG] [--prefix P] [--encoding E] [--jobs N] --out DIR "
       "FILE..."},
      {"merge",
       "morvane-cli merge [--to E] [--prefix P] [--encoding E] --out DIR FILE1 FILE2 [FILE3 "
       "[FILE4 [FILE5]]]"},
      {"clean",
       "morvane-cli clean [--junk] [--rules FILE] [--repeated-titles] [--blank-lines one|none] "
       "[--trailing-space] [--indent fullwidth|none|keep] [--spaces] [--line-breaks] [--tabs] "
       "[--convert CONFIG] [--to E] [--encoding E] [--report | --out FILE | --out-dir DIR "
       "[--jobs N]] FILE..."},
      {"detect", "morvane-cli detect FILE..."},
      {"banner", "morvane-cli banner"},
  };
  return usages;
}

// A usage error: what is wrong and the command's short usage, in one line.
int UsageError(const std::string& command, const std::string& problem) {
  morvane::cli::PrintMessage(problem + "。用法：" + Usages().at(command));
  return kUsageError;
}

// The parser's checks say what is wrong in Chinese: the check that refuses a value
// leaves its sentence in problem, which the parser's own error then stands for.
class Checks {
 public:
  // A check of option's value: nothing when it is good, else what is wrong with it.
  CLI::Validator Of(const std::string& option, const std::string& kind,
                    std::function<std::optional<std::string>(const std::string&)> test) {
    return CLI::Validator(
        [this, option, test](std::string& value) -> std::string {
          const std::optional<std::string> wrong = test(value);
          if (!wrong) return {};
          problem = option + " " + *wrong;
          return problem;
        },
        kind);
  }

  std::string problem;
};

std::optional<std::string> NoEncoding(const std::string& value) {
  if (value == "auto" || morvane::EncodingFromName(value)) return std::nullopt;
  return "的值“" + value + "”不是可用的编码（auto、gbk、gb18030、utf-8、utf-16le、utf-16be、big5）";
}

// Sizes are decimal, as the desktop's number boxes read them: "010" is ten, and "0x10"
// is no number (the parser's own reading would take them as octal and hex).
bool IsDecimal(const std::string& value) {
  const std::size_t digits = value.starts_with('+') || value.starts_with('-') ? 1 : 0;
  return value.size() > digits &&
         value.find_first_not_of("0123456789", digits) == std::string::npos;
}

std::optional<std::string> NoDecimal(const std::string& value) {
  if (IsDecimal(value)) return std::nullopt;
  return "的值“" + value + "”不是十进制整数";
}

// A decimal size; beyond the 64-bit range it saturates (any such size is refused later).
std::int64_t DecimalValue(const std::string& text) {
  std::int64_t value = 0;
  const char* begin = text.data() + (text.starts_with('+') ? 1 : 0);
  const auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) return text.starts_with('-') ? INT64_MIN : INT64_MAX;
  return value;
}

constexpr std::int64_t kMostPerFile = std::int64_t{1} << 30;

// A decimal within lowest..highest, as a check of an option's value.
std::function<std::optional<std::string>(const std::string&)> DecimalWithin(std::int64_t lowest,
                                                                            std::int64_t highest) {
  return [lowest, highest](const std::string& value) -> std::optional<std::string> {
    if (!IsDecimal(value)) return NoDecimal(value);
    const std::int64_t number = DecimalValue(value);
    if (number >= lowest && number <= highest) return std::nullopt;
    return "应是" + std::to_string(lowest) + "到" + std::to_string(highest) + "之间的整数，不是“" +
           value + "”";
  };
}

// --skip: indices and ranges of indices from 1, "3,5-7". Whether they are in the map is
// known only once the map is, and is a refusal then; a list that is no such list at all is
// a usage error now.
std::optional<std::string> NoIndexList(const std::string& value) {
  const auto isIndex = [](std::string_view digits) {
    return !digits.empty() && digits.size() <= 9 &&
           digits.find_first_not_of("0123456789") == std::string_view::npos &&
           digits.find_first_not_of('0') != std::string_view::npos;
  };
  std::string_view rest = value;
  for (;;) {
    const std::size_t comma = rest.find(',');
    const std::string_view item = rest.substr(0, comma);
    const std::size_t dash = item.find('-');
    if (!isIndex(item.substr(0, dash)) ||
        (dash != std::string_view::npos && !isIndex(item.substr(dash + 1)))) {
      return "的值“" + value + "”不是标题编号的列表（如 3,5-7）";
    }
    if (comma == std::string_view::npos) return std::nullopt;
    rest.remove_prefix(comma + 1);
  }
}

// The values of the cleaning's choices, which clean and epub take alike: the reason a
// value is none of them, or nothing.
std::optional<std::string> NoBlankLinesChoice(const std::string& value) {
  return value == "one" || value == "none"
             ? std::nullopt
             : std::optional<std::string>("的值“" + value + "”应是 one 或 none");
}

std::optional<std::string> NoIndentChoice(const std::string& value) {
  return value == "fullwidth" || value == "none" || value == "keep"
             ? std::nullopt
             : std::optional<std::string>("的值“" + value + "”应是 fullwidth、none 或 keep");
}

std::optional<std::string> NoScriptConversion(const std::string& value) {
  return morvane::IsScriptConversion(value)
             ? std::nullopt
             : std::optional<std::string>(
                   "的值“" + value +
                   "”不是可用的转换（t2s、s2t、tw2s、s2tw、hk2s、s2hk、tw2sp、s2twp）");
}

// An encoding for a file to be written: one by name, never auto.
std::optional<std::string> NoTargetEncoding(const std::string& value) {
  if (morvane::EncodingFromName(value)) return std::nullopt;
  return "的值“" + value + "”不是可用的编码（gbk、gb18030、utf-8、utf-16le、utf-16be、big5）";
}

std::optional<std::string> NoChaptersPerFile(const std::string& value) {
  if (IsDecimal(value) && DecimalValue(value) >= 1 && DecimalValue(value) <= kMostPerFile) {
    return std::nullopt;
  }
  return "应是1到" + std::to_string(kMostPerFile) + "之间的整数，不是“" + value + "”";
}

// --jobs: how many files of a batch run side by side.
std::optional<std::string> NoJobCount(const std::string& value) {
  if (!value.empty() && value.size() <= 4 &&
      value.find_first_not_of("0123456789") == std::string::npos && std::stoi(value) >= 1) {
    return std::nullopt;
  }
  return "的值“" + value + "”应是 1 到 9999 的整数";
}

// The value of --jobs, one per core when it was not given.
int JobsOf(const std::string& value) {
  return value.empty() ? static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))
                       : std::stoi(value);
}

// Adds --jobs to a command that takes many files.
void AddJobs(CLI::App& command, std::string& jobs, Checks& checks, const char* what) {
  command.add_option("--jobs", jobs, std::string(what) + " side by side (default: one per core)")
      ->check(checks.Of("--jobs", "N", NoJobCount));
}

std::optional<std::string> NoRule(const std::string& value) {
  if (value == "near" || value == "lines" || value == "auto" || value.starts_with("regex:")) {
    return std::nullopt;
  }
  return "的值“" + value + "”不是章节规则（near、lines、auto 或 regex:表达式）";
}

std::optional<std::string> NoNameStyle(const std::string& value) {
  if (value == "number" || value == "title" || value == "volume") return std::nullopt;
  return "应是 number、title 或 volume，不是“" + value + "”";
}

// --out and --prefix of a writing command; the prefix stays unset unless given.
struct OutputOptions {
  std::string folder;
  std::string prefix;
  CLI::Option* prefixOption = nullptr;
  CLI::Option* outOption = nullptr;
  std::string encoding = "auto";

  void AddTo(CLI::App& command, Checks& checks) {
    command.add_option("--encoding", encoding, kEncodingHelp)
        ->check(checks.Of("--encoding", "ENCODING", NoEncoding));
    prefixOption = command.add_option(
        "--prefix", prefix, "file-name prefix (default: the input's name without its extension)");
    outOption = command.add_option("--out", folder, "folder for the output files (must exist)");
  }
  morvane::cli::OutputArgs Args() const {
    morvane::cli::OutputArgs args{folder, std::nullopt, morvane::EncodingFromName(encoding),
                                  std::nullopt};
    if (prefixOption->count() > 0) args.prefix = prefix;
    return args;
  }
};

// The name of the command that was given, or "" for none.
std::string CommandOf(const CLI::App& app) {
  const std::vector<CLI::App*> given = app.get_subcommands();
  return given.empty() ? std::string() : given.front()->get_name();
}

// The command named on the command line, before it is parsed: the first word that is one.
std::string GivenCommand(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (Usages().contains(argv[i]) && *argv[i] != '\0') return argv[i];
  }
  return {};
}

// An option given as "--name=" with nothing after the "=": the parser would take the word
// that follows for its value (a file to read as the file to write).
std::optional<std::string> EmptyInlineValue(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = argv[i];
    if (word == "--") break;
    if (word.starts_with("--") && word.find('=') == word.size() - 1) {
      return std::string(word.substr(0, word.size() - 1));
    }
  }
  return std::nullopt;
}

// What is wrong when an option or a file of the command was given as "": no option takes
// an empty value.
std::optional<std::string> EmptyValue(const CLI::App& command) {
  for (const CLI::Option* option : command.get_options()) {
    for (const std::string& value : option->results()) {
      if (!value.empty()) continue;
      if (!option->nonpositional()) return std::string("文件名不能是空的");
      return "选项 " + option->get_name() + " 的值不能是空的";
    }
  }
  return std::nullopt;
}

// What was left over: the words nothing took, an option no command has.
std::optional<std::string> Extras(const CLI::App& app) {
  std::vector<std::string> extras = app.remaining(/*recurse=*/true);
  if (extras.empty()) return std::nullopt;
  std::string words;
  for (const std::string& extra : extras) words += (words.empty() ? "" : " ") + extra;
  return words;
}

}  // namespace

namespace morvane::cli {

// The program behind main; argv in UTF-8 (on Windows wmain converts it).
int RunCommandLine(int argc, char** argv) {
  EndUncaughtOutOfMemoryWithMessage();
  CLI::App app{
      "Cuts large text files (GBK, GB18030, UTF-8, UTF-16 or Big5, detected) into pieces and "
      "merges files; every output keeps the input's own bytes.",
      "morvane-cli"};
  app.require_subcommand(0, 1);
  app.set_version_flag("--version", "morvane-cli " MORVANE_VERSION);
  // Words and options that nothing takes are left over and reported in Chinese, as are
  // missing ones: the parser's own reports of them are English.
  app.allow_extras();
  // "/x" is a path here, never an option, also on Windows (where the parser's default
  // would take it for one).
  app.allow_windows_style_options(false);
  Checks checks;

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
          ->check(checks.Of("--bytes", "DECIMAL", DecimalWithin(0, INT32_MAX)));
  CLI::Option* kbOption =
      cut->add_option("--kb", kilobytes, "normal cut: N * 1024 bytes per piece (1 to 2097151)")
          ->check(checks.Of("--kb", "DECIMAL", DecimalWithin(1, 2097151)));
  OutputOptions cutOutput;
  cutOutput.AddTo(*cut, checks);
  std::vector<std::string> cutFiles;
  CLI::Option* cutFile = cut->add_option(
      "FILE", cutFiles,
      "the text files to cut; of several, each is cut into a folder of its own under --out, "
      "named after it without its extension");
  std::string cutJobs;
  AddJobs(*cut, cutJobs, checks, "files cut");

  CLI::App* chapters = app.add_subcommand(
      "chapters",
      "Cut FILE at its chapter headings (a \"第\" followed within 16 bytes by a \"章\") into "
      "prefix-0.txt (the text before the first heading), prefix-1.txt, ...; prints the number "
      "of headings found. --list shows the chapter map instead; --rule, --map, --skip, "
      "--per-file and --names change the cut.");
  OutputOptions chaptersOutput;
  chaptersOutput.AddTo(*chapters, checks);
  std::vector<std::string> chaptersFiles;
  CLI::Option* chaptersFile = chapters->add_option(
      "FILE", chaptersFiles,
      "the text files to cut; of several, each is cut into a folder of its own under --out, "
      "named after it without its extension");
  std::string chaptersJobs;
  AddJobs(*chapters, chaptersJobs, checks, "files cut");
  morvane::cli::ChapterArgs chapterArgs;
  chapters->add_flag("--list", chapterArgs.list,
                     "print the chapter map instead of cutting: one tab-separated line per "
                     "heading, \"index offset length number title flags volume\" (offset "
                     "0-based, in bytes; flags among gap, repeat, restart, long, short, inline; "
                     "volume the title of the chapter's volume, under the auto rule)");
  CLI::Option* chaptersRule =
      chapters
          ->add_option("--rule", chapterArgs.rule,
                       "where chapters begin: near (a \"第\" with a \"章\" within 16 bytes, the "
                       "default), lines (a short line \"第N章 title\", with 节回卷集部篇 too, or "
                       "序章, 楔子, 番外..., or \"Chapter N\"), auto (chosen for the book among "
                       "these and numbered lines, a repeated title and a volume line before a "
                       "chapter taken as one heading), or regex:PATTERN (an ICU regular "
                       "expression matched against each line)")
          ->check(checks.Of("--rule", "RULE", NoRule));
  CLI::Option* chaptersMap =
      chapters->add_option("--map", chapterArgs.map,
                           "cut by a chapter map as --list writes it, edited (rows deleted, titles "
                           "changed, rows added with an offset); a malformed map is refused with "
                           "its line number");
  chapters
      ->add_option("--skip", chapterArgs.skip,
                   "headings not cut at, by their index in the map: 3,5-7 (each joins the "
                   "chapter before it)")
      ->check(checks.Of("--skip", "LIST", NoIndexList));
  std::string perFile = "1";
  chapters->add_option("--per-file", perFile, "chapters per file (default 1)")
      ->check(checks.Of("--per-file", "N", NoChaptersPerFile));
  std::string chapterNames = "number";
  chapters
      ->add_option("--names", chapterNames,
                   "number: prefix-0.txt, prefix-1.txt, ... (the default); title: "
                   "\"prefix-0001 第一章 title.txt\", numbered so that the names sort; "
                   "volume: the same with the volume first, \"prefix-0001 第一卷 第一章 "
                   "title.txt\"")
      ->check(checks.Of("--names", "number|title|volume", NoNameStyle));

  CLI::App* epub = app.add_subcommand(
      "epub",
      "Make FILE into an EPUB 3 book, prefix.epub: one XHTML file per chapter of the chapter "
      "map (split between paragraphs beyond 256 KiB), the map as the table of contents "
      "(volumes as its second level, the text before the first heading as 前言), a paragraph "
      "per line in UTF-8, the banner as a closing page.");
  OutputOptions epubOutput;
  epubOutput.AddTo(*epub, checks);
  std::vector<std::string> epubFiles;
  CLI::Option* epubFile =
      epub->add_option("FILE", epubFiles, "the text files to make into books, one book each");
  std::string epubJobs;
  AddJobs(*epub, epubJobs, checks, "books made");
  morvane::cli::EpubArgs epubArgs;
  CLI::Option* epubRule =
      epub->add_option("--rule", epubArgs.rule,
                       "where chapters begin, as for chapters (default auto, or the map's)")
          ->check(checks.Of("--rule", "RULE", NoRule));
  CLI::Option* epubMap = epub->add_option("--map", epubArgs.map,
                                          "the chapter map to use, as chapters --list writes it");
  epub->add_option("--skip", epubArgs.skip, "headings not cut at, by their index in the map: 3,5-7")
      ->check(checks.Of("--skip", "LIST", NoIndexList));
  std::string bookTitle;
  CLI::Option* titleOption = epub->add_option(
      "--title", bookTitle, "the book's title (default: from the header or the file's name)");
  std::string bookAuthor;
  CLI::Option* authorOption = epub->add_option(
      "--author", bookAuthor, "the book's author (default: from a 作者 line or the file's name)");
  std::string bookDescription;
  CLI::Option* descriptionOption = epub->add_option(
      "--description", bookDescription, "the book's description (default: the 内容简介 lines)");
  epub->add_option("--cover", epubArgs.cover, "a JPEG or PNG image for the cover");
  epub->add_option("--css", epubArgs.css, "a style sheet of yours, after the book's own");
  epub->add_option("--language", epubArgs.language,
                   "the book's language (default: zh-Hant for traditional characters, else "
                   "zh-Hans)")
      ->check(checks.Of("--language", "LANGUAGE", [](const std::string& value) {
        const bool tag = !value.empty() && value.size() <= 35 &&
                         value.find_first_not_of(
                             "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-") ==
                             std::string::npos;
        return tag ? std::nullopt
                   : std::optional<std::string>("的值“" + value + "”不是语言标记（如 zh-Hans）");
      }));
  epub->add_flag("--vertical", epubArgs.vertical,
                 "a vertical book: lines top to bottom, pages right to left");
  epub->add_flag("--junk", epubArgs.junk, "remove the lines the built-in junk rules name");
  epub->add_option("--rules", epubArgs.rules, "remove the lines the rules of FILE name");
  bool repeatedTitles = true;
  CLI::Option* repeatedOption = epub->add_flag(
      "--repeated-titles,!--no-repeated-titles", repeatedTitles,
      "remove a heading line repeated on the next non-blank line (the default, but with --map)");
  std::string epubBlankLines;
  epub->add_option("--blank-lines", epubBlankLines, "one or none, as for clean")
      ->check(checks.Of("--blank-lines", "one|none", NoBlankLinesChoice));
  std::string epubIndent = "keep";
  epub->add_option("--indent", epubIndent, "fullwidth, none or keep, as for clean")
      ->check(checks.Of("--indent", "fullwidth|none|keep", NoIndentChoice));
  epub->add_option("--convert", epubArgs.convert,
                   "convert between traditional and simplified characters, as for clean")
      ->check(checks.Of("--convert", "CONFIG", NoScriptConversion));

  std::vector<std::string> files;
  CLI::App* merge = app.add_subcommand(
      "merge", "Join two to five files, in order and without separators, into prefix已合并.txt.");
  OutputOptions mergeOutput;
  mergeOutput.AddTo(*merge, checks);
  merge->add_option("FILES", files, "the files to join (2 to 5)");
  std::string mergeTo;
  merge
      ->add_option("--to", mergeTo,
                   "the merged file's encoding (default: the first file's); the other files "
                   "are converted into it, and a character it cannot hold refuses the merge")
      ->check(checks.Of("--to", "ENCODING", NoTargetEncoding));

  morvane::cli::CleanArgs clean;
  CLI::App* cleanCommand = app.add_subcommand(
      "clean",
      "Write FILE's text with the chosen lines cleaned, then without the chosen white space, "
      "to standard output or --out (no banner). White space goes in this order: spaces, line "
      "breaks, tabs.");
  cleanCommand->add_flag("--spaces", clean.spaces, "remove half-width spaces (0x20)");
  cleanCommand->add_flag("--line-breaks", clean.lineBreaks, "remove CR LF pairs");
  cleanCommand->add_flag("--tabs", clean.tabs, "remove tabs (0x09)");
  cleanCommand->add_flag("--junk", clean.junk,
                         "remove the lines the built-in junk rules name (site addresses, ads)");
  cleanCommand->add_option("--rules", clean.rules,
                           "remove the lines the rules of FILE name: one rule a line (UTF-8), a "
                           "literal for the whole line or re: and an ICU regular expression");
  cleanCommand->add_flag("--repeated-titles", clean.repeatedTitles,
                         "remove a heading line repeated on the next non-blank line");
  std::string blankLines;
  cleanCommand
      ->add_option("--blank-lines", blankLines,
                   "one: runs of blank lines become one; none: every blank line goes")
      ->check(checks.Of("--blank-lines", "one|none", NoBlankLinesChoice));
  cleanCommand->add_flag("--trailing-space", clean.trailingSpace,
                         "remove the blanks at the end of every line");
  std::string indent = "keep";
  cleanCommand
      ->add_option("--indent", indent,
                   "fullwidth: every paragraph starts with two full-width spaces; none: with "
                   "no blank; keep (default): as it was")
      ->check(checks.Of("--indent", "fullwidth|none|keep", NoIndentChoice));
  std::string convert;
  cleanCommand
      ->add_option("--convert", convert,
                   "convert between traditional and simplified characters with OpenCC: t2s, "
                   "s2t, tw2s, s2tw, hk2s, s2hk, tw2sp or s2twp")
      ->check(checks.Of("--convert", "CONFIG", NoScriptConversion));
  std::string cleanTo;
  cleanCommand
      ->add_option("--to", cleanTo,
                   "the result's encoding (default: the text's own; needed when a converted "
                   "character does not fit it)")
      ->check(checks.Of("--to", "ENCODING", NoEncoding));
  CLI::Option* reportOption = cleanCommand->add_flag(
      "--report", clean.report,
      "print what the line cleaning would change as TSV (line number, kind, line) and write "
      "nothing else");
  CLI::Option* cleanOut = cleanCommand->add_option(
      "--out", clean.out, "write the cleaned text to this file (whole or not at all)");
  CLI::Option* cleanOutDir = cleanCommand->add_option(
      "--out-dir", clean.outDir,
      "write each cleaned text into this folder under its own name (many files at once)");
  std::string cleanJobs;
  AddJobs(*cleanCommand, cleanJobs, checks, "files cleaned");
  std::vector<std::string> cleanFiles;
  CLI::Option* cleanFile = cleanCommand->add_option(
      "FILE", cleanFiles, "the text file to clean (several with --out-dir)");
  std::string cleanEncoding = "auto";
  cleanCommand->add_option("--encoding", cleanEncoding, kEncodingHelp)
      ->check(checks.Of("--encoding", "ENCODING", NoEncoding));

  std::vector<std::string> detectFiles;
  CLI::App* detect = app.add_subcommand(
      "detect",
      "Print one line per FILE: its encoding as detected (gbk, gb18030, utf-8, utf-16le, "
      "utf-16be, big5), followed by \" bom\" when the file starts with a byte-order mark.");
  detect->add_option("FILE", detectFiles, "the files to look at");

  CLI::App* banner = app.add_subcommand(
      "banner", "Write the banner that ends every output file to standard output.");
  for (CLI::App* command : {cut, chapters, epub, merge, cleanCommand, detect, banner}) {
    command->allow_extras();
  }

  if (const auto empty = EmptyInlineValue(argc, argv)) {
    return UsageError(GivenCommand(argc, argv), "选项 " + *empty + " 的值不能是空的");
  }
  // The help goes out through the same channel as every other output: a failure to write
  // it is told, and ends with 1.
  const auto help = [&app](const CLI::Error& call) {
    std::ostringstream out;
    std::ostringstream err;
    app.exit(call, out, err);
    const bool written = WriteStdout(out.str());
    if (!err.str().empty()) PrintMessage(err.str());
    return written ? 0 : 1;
  };
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& call) {
    return help(call);
  } catch (const CLI::CallForAllHelp& call) {
    return help(call);
  } catch (const CLI::CallForVersion& call) {
    return help(call);
  } catch (const CLI::ValidationError&) {
    return UsageError(CommandOf(app), checks.problem.empty() ? "参数的值有误" : checks.problem);
  } catch (const CLI::ArgumentMismatch&) {
    return UsageError(CommandOf(app), "有选项缺少它的值");
  } catch (const CLI::ParseError&) {
    return UsageError(CommandOf(app), "参数有误");
  }
  const std::string command = CommandOf(app);
  if (command.empty()) {
    if (const auto extras = Extras(app)) return UsageError("", "没有这个命令：" + *extras);
    return UsageError("", "缺少命令");
  }
  if (const auto extras = Extras(app)) {
    return UsageError(command, "多余的参数或不认识的选项：" + *extras);
  }
  if (const auto empty = EmptyValue(*app.get_subcommands().front())) {
    return UsageError(command, *empty);
  }
  for (const auto& [rule, map] : {std::pair{chaptersRule, chaptersMap}, {epubRule, epubMap}}) {
    if (rule->count() > 0 && map->count() > 0) {
      return UsageError(command, "--rule 和 --map 只能选一个（目录已定下章节）");
    }
  }
  struct Needed {
    const CLI::App* command;
    const CLI::Option* option;
    const char* missing;
  };
  for (const Needed& needed : {Needed{cut, cutFile, "缺少要切割的文件"},
                               Needed{chapters, chaptersFile, "缺少要切割的文件"},
                               Needed{epub, epubFile, "缺少要转换的文件"},
                               Needed{cleanCommand, cleanFile, "缺少要处理的文件"}}) {
    if (needed.command->parsed() && needed.option->count() == 0) {
      return UsageError(command, needed.missing);
    }
  }
  morvane::HandleWriteSignals();

  if (cut->parsed()) {
    if (bytesOption->count() > 0 && kbOption->count() > 0) {
      return UsageError(command, "--bytes 和 --kb 只能选一个");
    }
    if (cutOutput.outOption->count() == 0) return UsageError(command, "缺少 --out（保存位置）");
    if (bytesOption->count() == 0 && kbOption->count() == 0) {
      return UsageError(command, "缺少 --bytes N 或 --kb N（每个文件的大小）");
    }
    const bool byKilobytes = kbOption->count() > 0;
    return Run(CutCommand{DecimalValue(byKilobytes ? kilobytes : bytes),
                          byKilobytes,
                          cutOutput.Args(),
                          cutFiles.front(),
                          {cutFiles.begin() + 1, cutFiles.end()},
                          JobsOf(cutJobs)});
  }
  if (chapters->parsed()) {
    if (!chapterArgs.list && chaptersOutput.outOption->count() == 0) {
      return UsageError(command, "缺少 --out（保存位置），或用 --list 只列出章节目录");
    }
    chapterArgs.perFile = static_cast<int>(DecimalValue(perFile));
    chapterArgs.titleNames = chapterNames == "title";
    chapterArgs.volumeNames = chapterNames == "volume";
    if (chaptersFiles.size() > 1) {
      // A map and its headings belong to one text; a listing of many would be one list.
      for (const char* single : {"--list", "--map", "--skip"}) {
        if (chapters->count(single) > 0) {
          return UsageError(command, std::string(single) + " 只能用于一个文件");
        }
      }
    }
    return Run(ChaptersCommand{chaptersOutput.Args(),
                               chapterArgs,
                               chaptersFiles.front(),
                               {chaptersFiles.begin() + 1, chaptersFiles.end()},
                               JobsOf(chaptersJobs)});
  }
  if (epub->parsed()) {
    if (epubOutput.outOption->count() == 0) return UsageError(command, "缺少 --out（保存位置）");
    if (titleOption->count() > 0) epubArgs.title = bookTitle;
    if (authorOption->count() > 0) epubArgs.author = bookAuthor;
    if (descriptionOption->count() > 0) epubArgs.description = bookDescription;
    if (repeatedOption->count() > 0) epubArgs.repeatedTitles = repeatedTitles;
    if (epubFiles.size() > 1) {
      // What names one book cannot name them all.
      for (const char* single :
           {"--prefix", "--title", "--author", "--description", "--map", "--skip"}) {
        if (epub->count(single) > 0) {
          return UsageError(command, std::string(single) + " 只能用于一个文件");
        }
      }
    }
    epubArgs.blankLines = epubBlankLines == "one"    ? morvane::BlankLines::kOne
                          : epubBlankLines == "none" ? morvane::BlankLines::kNone
                                                     : morvane::BlankLines::kKeep;
    epubArgs.indentation = epubIndent == "fullwidth" ? morvane::Indentation::kFullWidth
                           : epubIndent == "none"    ? morvane::Indentation::kNone
                                                     : morvane::Indentation::kKeep;
    return Run(EpubCommand{epubOutput.Args(),
                           epubArgs,
                           epubFiles.front(),
                           {epubFiles.begin() + 1, epubFiles.end()},
                           JobsOf(epubJobs)});
  }
  if (merge->parsed()) {
    if (files.size() < 2 || files.size() > 5) {
      return UsageError(command, "合并需要2到5个文件，给了" + std::to_string(files.size()) + "个");
    }
    if (mergeOutput.outOption->count() == 0) return UsageError(command, "缺少 --out（保存位置）");
    OutputArgs args = mergeOutput.Args();
    if (!mergeTo.empty()) args.to = morvane::EncodingFromName(mergeTo);
    return Run(MergeCommand{args, files});
  }
  if (cleanCommand->parsed()) {
    clean.encoding = morvane::EncodingFromName(cleanEncoding);
    if (reportOption->count() > 0 && cleanOut->count() > 0) {
      return UsageError(command, "--report 和 --out 只能选一个");
    }
    if (cleanOutDir->count() > 0 && (reportOption->count() > 0 || cleanOut->count() > 0)) {
      return UsageError(command, "--out-dir 不能与 --report 或 --out 同用");
    }
    if (cleanFiles.size() > 1 && cleanOutDir->count() == 0) {
      return UsageError(command, "多个文件需要 --out-dir（保存位置）");
    }
    clean.convert = convert;
    if (!cleanTo.empty() && cleanTo != "auto") clean.to = morvane::EncodingFromName(cleanTo);
    clean.blankLines = blankLines == "one"    ? morvane::BlankLines::kOne
                       : blankLines == "none" ? morvane::BlankLines::kNone
                                              : morvane::BlankLines::kKeep;
    clean.indentation = indent == "fullwidth" ? morvane::Indentation::kFullWidth
                        : indent == "none"    ? morvane::Indentation::kNone
                                              : morvane::Indentation::kKeep;
    return Run(CleanCommand{
        clean, cleanFiles.front(), {cleanFiles.begin() + 1, cleanFiles.end()}, JobsOf(cleanJobs)});
  }
  if (detect->parsed()) {
    if (detectFiles.empty()) return UsageError(command, "缺少要检测的文件");
    return Run(DetectCommand{detectFiles});
  }
  if (banner->parsed()) return Run(BannerCommand{});
  return kUsageError;
}

}  // namespace morvane::cli

#ifndef _WIN32
int main(int argc, char** argv) {
  return morvane::cli::RunCommandLine(argc, argv);
}
#endif
