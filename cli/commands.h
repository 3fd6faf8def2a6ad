// SPDX-License-Identifier: MIT
#pragma once
// The commands of morvane-cli. Each takes its parsed arguments (paths as the system gave
// them) and returns the exit code: 0 when everything was written, 1 when the operation
// was refused or a file could not be written, with the reason on standard error.
//
// The output files are those the desktop program writes for the same operation: the
// same names (GBK names appear as UTF-8), the same bytes, text followed by the banner.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/encoding.h"
#include "engine/line_cleaning.h"
#include "engine/output_checks.h"

namespace morvane::cli {

struct OutputArgs {
  std::string folder;                 // --out
  std::optional<std::string> prefix;  // --prefix; the input's base name when absent
  std::optional<Encoding> encoding;   // --encoding; detected when absent (auto)
  std::optional<Encoding> to;         // merge --to; the first file's encoding when absent
};

// What one file of a command came to, for the line a batch prints of it.
struct FileOutcome {
  int exitCode = 1;
  std::optional<Encoding> encoding;  // once the file was read
  std::size_t chapters = 0;          // chapters and epub: the chapters cut at
  std::size_t flagged = 0;           // chapters and epub: headings of the map with a flag
  bool doubtful = false;             // chapters and epub: the map looks wrong
};

// cut --bytes N: the simple cut, N bytes per piece (0 means 1, below 0 is refused).
int RunSimpleCut(std::int64_t bytes, const OutputArgs& output, const std::string& file,
                 const RunFiles& files);
// cut --kb N: the normal cut, N * 1024 bytes per piece (1 to 2097151 K).
int RunNormalCut(std::int64_t kilobytes, const OutputArgs& output, const std::string& file,
                 const RunFiles& files);
// cut as either: --kb N when kilobytes, else --bytes N.
FileOutcome CutFile(std::int64_t size, bool kilobytes, const OutputArgs& output,
                    const std::string& file, const RunFiles& files);
// chapters: the chapter search and cut; prints the number of headings found.
int RunChapters(const OutputArgs& output, const std::string& file, const RunFiles& files);

// The chapter map's options of chapters.
struct ChapterArgs {
  std::string rule = "near";  // --rule near|lines|auto|regex:PATTERN (checked by the parser)
  bool list = false;          // --list: print the map, write nothing
  std::string skip;           // --skip 3,5-7: headings not cut at
  int perFile = 1;            // --per-file N
  bool titleNames = false;    // --names title
  bool volumeNames = false;   // --names volume
  std::string map;            // --map FILE: the map to cut by, as --list writes it
};
// chapters with the map's options: the map (--list) or the cut it describes. Without
// any of them it is RunChapters.
int RunChapters(const OutputArgs& output, const ChapterArgs& chapters, const std::string& file,
                const RunFiles& files);
// The same for one file of a batch: the number of headings goes into the outcome, not onto
// standard output, with the doubts of the map as the map window would have them.
FileOutcome ChaptersOfFile(const OutputArgs& output, const ChapterArgs& chapters,
                           const std::string& file, const RunFiles& files);
// The options of epub.
struct EpubArgs {
  std::string rule;                   // --rule, as for chapters; auto when neither it nor --map
  std::string map;                    // --map FILE
  std::string skip;                   // --skip 3,5-7
  std::optional<std::string> title;   // --title; from the name and the header when absent
  std::optional<std::string> author;  // --author; from the header or the name when absent
  std::optional<std::string> description;  // --description; the header's 内容简介 when absent
  std::string cover;                       // --cover IMAGE (JPEG or PNG)
  std::string language;   // --language; zh-Hans or zh-Hant from the text when empty
  bool vertical = false;  // --vertical
  std::string css;        // --css FILE: the user's style sheet
  // The cleaning before the book is made, as clean's options (no white space, no --to);
  // a heading repeated on the next line goes unless --no-repeated-titles says otherwise.
  bool junk = false;
  std::string rules;
  std::optional<bool> repeatedTitles;
  BlankLines blankLines = BlankLines::kKeep;
  Indentation indentation = Indentation::kKeep;
  std::string convert;
};
// epub: the book of FILE with its chapter map as the table of contents, P.epub, opened by
// a title page; the text cleaned first as asked. A map that looks wrong is warned of.
int RunEpub(const OutputArgs& output, const EpubArgs& epub, const std::string& file,
            const RunFiles& files);
// The book of one file; its chapters are the sections of the table of contents cut at.
FileOutcome MakeBook(const OutputArgs& output, const EpubArgs& epub, const std::string& file,
                     const RunFiles& files);
// merge: two to five files joined in order.
int RunMerge(const OutputArgs& output, const std::vector<std::string>& paths,
             const RunFiles& files);

struct CleanArgs {
  bool spaces = false;
  bool lineBreaks = false;
  bool tabs = false;
  std::optional<Encoding> encoding;              // --encoding; detected when absent
  bool junk = false;                             // --junk: the built-in junk rules
  std::string rules;                             // --rules FILE: junk rules of the user's
  bool repeatedTitles = false;                   // --repeated-titles
  BlankLines blankLines = BlankLines::kKeep;     // --blank-lines one|none
  bool trailingSpace = false;                    // --trailing-space
  Indentation indentation = Indentation::kKeep;  // --indent fullwidth|none|keep
  std::string convert;         // --convert CONFIG: an OpenCC configuration (t2s, s2t, …)
  std::optional<Encoding> to;  // --to: the result's encoding; the text's own when absent
  bool report = false;         // --report: the changes as TSV, nothing else written
  std::string out;             // --out FILE; standard output when empty
  std::string outDir;          // --out-dir DIR: each file's result there, under its own name
};
// clean: the text with the chosen lines cleaned (line_cleaning.h), then without the chosen
// white space, in the order of the desktop's buttons: spaces, line breaks, tabs; on
// standard output or into --out, no banner.
int RunClean(const CleanArgs& args, const std::string& file, const RunFiles& files);
// The same, with the file's encoding for the line of a batch.
FileOutcome CleanFile(const CleanArgs& args, const std::string& file, const RunFiles& files);
// detect: one line per file, its encoding's name and " bom" when it starts with a
// byte-order mark ("utf-8 bom", "gbk").
int RunDetect(const std::vector<std::string>& files);
// banner: the banner's bytes on standard output.
int RunBanner();

// The commands as the parser hands them over, one type each. cut, chapters, epub and clean
// --out-dir take many files (more: those after the first), which run as a batch
// (batch_runner.h): jobs files at a time, one line each on standard output. Every one declares the
// files it reads and where it writes (FilesOf) before it runs, and the one check of
// engine/output_checks.h guards its outputs by that declaration: a command added to Command
// without its FilesOf does not build.
struct CutCommand {
  std::int64_t size = 0;
  bool kilobytes = false;  // --kb N, else --bytes N
  OutputArgs output;
  std::string file;
  std::vector<std::string> more = {};  // each cut into a folder of its own under --out
  int jobs = 1;                        // --jobs: files cut side by side
};
struct ChaptersCommand {
  OutputArgs output;
  ChapterArgs chapters;
  std::string file;
  std::vector<std::string> more = {};  // each cut into a folder of its own under --out
  int jobs = 1;
};
struct EpubCommand {
  OutputArgs output;
  EpubArgs epub;
  std::string file;
  std::vector<std::string> more;  // the files after the first: one book each
  int jobs = 1;                   // --jobs: books made side by side
};
struct MergeCommand {
  OutputArgs output;
  std::vector<std::string> files;
};
struct CleanCommand {
  CleanArgs clean;
  std::string file;
  std::vector<std::string> more = {};  // with --out-dir: each cleaned into it
  int jobs = 1;
};
struct DetectCommand {
  std::vector<std::string> files;
};
struct BannerCommand {};
using Command = std::variant<CutCommand, ChaptersCommand, EpubCommand, MergeCommand, CleanCommand,
                             DetectCommand, BannerCommand>;

RunFiles FilesOf(const CutCommand& command);
RunFiles FilesOf(const ChaptersCommand& command);
RunFiles FilesOf(const EpubCommand& command);
RunFiles FilesOf(const MergeCommand& command);
RunFiles FilesOf(const CleanCommand& command);
RunFiles FilesOf(const DetectCommand& command);
RunFiles FilesOf(const BannerCommand& command);

// The save folder of --out as the desktop's save-location box holds it: no separator at the
// end, except for the root.
Path FolderOf(const std::string& nativeFolder);

// The batches of many files: every file of the command in turn, jobs at a time, as one
// file alone is run; the outputs of each go under the output folder (batch_commands.cpp).
// files declares every file of the batch: no output may replace any of them.
int RunCutBatch(const CutCommand& command, const RunFiles& files);
int RunChaptersBatch(const ChaptersCommand& command, const RunFiles& files);
int RunEpubBatch(const EpubCommand& command, const RunFiles& files);
int RunCleanBatch(const CleanCommand& command, const RunFiles& files);

// Runs the command with its declared files; the exit code.
int Run(const Command& command);

}  // namespace morvane::cli
