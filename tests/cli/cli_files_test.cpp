// SPDX-License-Identifier: MIT
// morvane-cli and the files it may touch: what each command declares it reads and writes,
// an output that reaches an input by any name, the temporaries it may remove, outputs that
// are streams, option values, and the messages of a failing standard output. One table per
// mechanism; the programs run as child processes in scratch folders.

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "core/path.h"
#include "run_program.h"
#include "test_files.h"

namespace morvane::testing {
namespace {

using cli::Command;

cli::OutputArgs Out(const char* folder) {
  cli::OutputArgs output;
  output.folder = folder;
  return output;
}

// Every command and what it declares: a command added to Command without a row here fails,
// one without its FilesOf does not build.
TEST(CommandFiles, EveryCommandDeclaresWhatItReadsAndWrites) {
  const auto p = [](const char* path) { return PathFromUtf8(path); };
  cli::ChaptersCommand listed{Out("O"), {}, "in.txt"};
  listed.chapters.list = true;
  listed.chapters.map = "m.tsv";
  cli::EpubCommand book{Out("O/"), {}, "in.txt", {}, 1};
  book.epub.map = "m.tsv";
  book.epub.cover = "c.png";
  cli::CleanCommand cleaned{{}, "in.txt"};
  cleaned.clean.rules = "r.txt";
  cleaned.clean.out = "x/out.txt";
  cli::CleanCommand reported = cleaned;
  reported.clean.report = true;
  cli::CleanCommand many{{}, "in.txt", {"b.txt"}, 2};
  many.clean.rules = "r.txt";
  many.clean.outDir = "D/";
  const std::pair<Command, RunFiles> rows[] = {
      {cli::CutCommand{1, true, Out("O"), "in.txt"}, {{p("in.txt")}, p("O"), {}}},
      {cli::CutCommand{1, true, Out("O"), "in.txt", {"b.txt"}, 2},
       {{p("in.txt"), p("b.txt")}, p("O"), {}}},
      {cli::ChaptersCommand{Out("O"), {}, "in.txt"}, {{p("in.txt")}, p("O"), {}}},
      {listed, {{p("in.txt"), p("m.tsv")}, {}, {}}},
      {book, {{p("in.txt"), p("m.tsv"), p("c.png")}, p("O"), {}}},
      {cli::MergeCommand{Out("O"), {"a", "b"}}, {{p("a"), p("b")}, p("O"), {}}},
      {cleaned, {{p("in.txt"), p("r.txt")}, {}, p("x/out.txt")}},
      {reported, {{p("in.txt"), p("r.txt")}, {}, {}}},
      {many, {{p("in.txt"), p("r.txt"), p("b.txt")}, p("D"), {}}},
      {cli::DetectCommand{{"a", "b"}}, {{p("a"), p("b")}, {}, {}}},
      {cli::BannerCommand{}, {}},
  };
  std::vector<bool> seen(std::variant_size_v<Command>, false);
  for (const auto& [command, files] : rows) {
    seen[command.index()] = true;
    EXPECT_EQ(std::visit([](const auto& c) { return cli::FilesOf(c); }, command), files)
        << command.index();
  }
  for (std::size_t i = 0; i < seen.size(); ++i) EXPECT_TRUE(seen[i]) << "command " << i;
}

#ifndef _WIN32

ProgramRun RunCli(const std::vector<std::string>& args, const std::string& cwd) {
  return RunProgram(MORVANE_CLI_PATH, args, cwd);
}

// The program with its standard output sent where a shell redirection sends it.
ProgramRun RunCliRedirected(const std::vector<std::string>& args, const std::string& redirect,
                            const std::string& cwd) {
  std::vector<std::string> shell = {"-c", "set -o pipefail; \"$0\" \"$@\" " + redirect,
                                    MORVANE_CLI_PATH};
  shell.insert(shell.end(), args.begin(), args.end());
  return RunProgram("/bin/bash", shell, cwd);
}

// A valid 1x1 PNG.
const std::string kPng(
    "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00"
    "\x00\x01\x08\x04\x00\x00\x00\xB5\x1C\x0C\x02\x00\x00\x00\x0B\x49\x44\x41\x54\x78\xDA\x63"
    "\x64\x60\x00\x00\x00\x06\x00\x02\x30\x81\xD0\x2F\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42"
    "\x60\x82",
    68);

// A scratch folder with a novel, its map, junk rules, a cover and an empty output folder O.
struct Novel {
  Novel() {
    std::filesystem::create_directory(FileSystemPath(dir / "O"));
    WriteBytes(dir / "in.txt", GbkBytes("序言\n第一章 甲\n一\n第二章 乙\n二\n第三章 丙\n三\n"));
    WriteBytes(dir / "two.txt", GbkBytes("续\n"));
    WriteBytes(dir / "rules.txt", "re:^二$\n");
    WriteBytes(dir / "cover.png", kPng);
    WriteBytes(dir / "map.tsv", RunCli({"chapters", "--list", "in.txt"}, dir.path()).out);
  }
  ScratchFolder dir;
};

// An output that would be a file the command reads is refused, exit 1, before anything is
// written: a rules file or a map file as much as the text.
TEST(CliPlan, RefusesAnOutputThatIsAnyInput) {
  struct Case {
    const char* what;
    std::function<void(const ScratchFolder&)> setUp;
    std::vector<std::string> args;
    std::string kept;  // the input that must stay as it was
  };
  const Case cases[] = {
      {"the rules file as clean's output",
       {},
       {"clean", "--rules", "rules.txt", "--out", "rules.txt", "in.txt"},
       "rules.txt"},
      {"the rules file through a hard link",
       [](const ScratchFolder& d) { ::link((d / "rules.txt").c_str(), (d / "hard").c_str()); },
       {"clean", "--junk", "--rules", "rules.txt", "--out", "hard", "in.txt"},
       "rules.txt"},
      {"the rules file through a symbolic link",
       [](const ScratchFolder& d) { ::symlink("../rules.txt", (d / "O/linked").c_str()); },
       {"clean", "--rules", "O/linked", "--out", "./rules.txt", "in.txt"},
       "rules.txt"},
      {"the map as a chapter file",
       [](const ScratchFolder& d) {
         std::filesystem::rename(FileSystemPath(d / "map.tsv"), FileSystemPath(d / "O/in-1.txt"));
       },
       {"chapters", "--map", "O/in-1.txt", "--out", "O", "in.txt"},
       "O/in-1.txt"},
      {"the map through a symbolic link at a chapter file",
       [](const ScratchFolder& d) {
         ::symlink((d / "map.tsv").c_str(), (d / "O/p-2.txt").c_str());
       },
       {"chapters", "--map", "map.tsv", "--prefix", "p", "--out", "O", "in.txt"},
       "map.tsv"},
      {"a file of a batch as its own cleaned file",
       [](const ScratchFolder& d) {
         std::filesystem::rename(FileSystemPath(d / "two.txt"), FileSystemPath(d / "O/two.txt"));
       },
       {"clean", "--junk", "--out-dir", "O", "in.txt", "O/two.txt"},
       "O/two.txt"},
      {"a file of a batch through a hard link at another's piece",
       [](const ScratchFolder& d) {
         std::filesystem::create_directory(FileSystemPath(d / "O/in"));
         ::link((d / "two.txt").c_str(), (d / "O/in/in-1.txt").c_str());
       },
       {"cut", "--kb", "1", "--out", "O", "in.txt", "two.txt"},
       "two.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Novel novel;
    if (c.setUp) c.setUp(novel.dir);
    const std::string before = ReadBytes(novel.dir / c.kept).value_or("<missing>");
    const ProgramRun run = RunCli(c.args, novel.dir.path());
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find("覆盖正在处理的文件"), std::string::npos) << run.err;
    EXPECT_EQ(ReadBytes(novel.dir / c.kept), before);
  }
}

// Every command with its output pointed at each of its inputs in turn, by the same path,
// with "./", through a hard link and through a symbolic link: exit 1, every input as it was,
// nothing else written.
TEST(CliPlan, NoCommandWritesOverAnyOfItsInputsByAnyName) {
  struct Spec {
    std::vector<std::string> args;    // "{0}", "{1}"... stand for the inputs
    std::vector<std::string> inputs;  // their files in the scratch folder
    std::string output;               // one output of the run, under the scratch folder
  };
  const Spec specs[] = {
      {{"cut", "--kb", "1", "--prefix", "p", "--out", "O", "{0}"}, {"in.txt"}, "O/p-1.txt"},
      {{"cut", "--bytes", "9", "--prefix", "p", "--out", "O", "{0}"}, {"in.txt"}, "O/p-2.txt"},
      {{"chapters", "--prefix", "p", "--out", "O", "{0}"}, {"in.txt"}, "O/p-1.txt"},
      {{"chapters", "--map", "{1}", "--prefix", "p", "--out", "O", "{0}"},
       {"in.txt", "map.tsv"},
       "O/p-2.txt"},
      {{"epub", "--map", "{1}", "--cover", "{2}", "--prefix", "p", "--out", "O", "{0}"},
       {"in.txt", "map.tsv", "cover.png"},
       "O/p.epub"},
      {{"merge", "--prefix", "p", "--out", "O", "{0}", "{1}"},
       {"in.txt", "two.txt"},
       "O/p已合并.txt"},
      {{"clean", "--rules", "{1}", "--out", "O/clean.txt", "{0}"},
       {"in.txt", "rules.txt"},
       "O/clean.txt"},
  };
  enum Name { kSame, kDot, kHard, kSymbolic };
  std::mt19937 random(28);
  int runs = 0;
  for (const Spec& spec : specs) {
    for (std::size_t k = 0; k < spec.inputs.size(); ++k) {
      for (const Name name : {kSame, kDot, kHard, kSymbolic}) {
        Novel novel;
        const ScratchFolder& d = novel.dir;
        // A text of random length, its map made anew.
        std::string text = GbkBytes("序言\n");
        for (int i = 1, n = 3 + static_cast<int>(random() % 5); i <= n; ++i) {
          text += GbkBytes("第" + std::to_string(i) + "章 甲\n") +
                  std::string(1 + random() % 400, 'x') + "\n";
        }
        WriteBytes(d / "in.txt", text);
        if (spec.inputs.size() > 1 && spec.inputs[1] == "map.tsv") {
          WriteBytes(d / "map.tsv", RunCli({"chapters", "--list", "in.txt"}, d.path()).out);
        }
        std::vector<std::string> given = spec.inputs;
        const std::string& input = spec.inputs[k];
        if (name == kSame || name == kDot) {
          std::filesystem::rename(FileSystemPath(d / input), FileSystemPath(d / spec.output));
          given[k] = (name == kDot ? "./" : "") + spec.output;
        } else if (name == kHard) {
          ASSERT_EQ(::link((d / input).c_str(), (d / spec.output).c_str()), 0);
        } else {
          ASSERT_EQ(::symlink((d / input).c_str(), (d / spec.output).c_str()), 0);
        }
        std::map<std::string, std::string> before;
        for (const std::string& each : given) before[each] = ReadBytes(d / each).value_or("");
        std::vector<std::string> args;
        for (const std::string& arg : spec.args) {
          args.push_back(arg.size() == 3 && arg[0] == '{' ? given[arg[1] - '0'] : arg);
        }
        SCOPED_TRACE(::testing::PrintToString(args) + " way " + std::to_string(name));
        const ProgramRun run = RunCli(args, d.path());
        EXPECT_EQ(run.exitCode, 1) << run.err;
        for (const auto& [path, bytes] : before) EXPECT_EQ(ReadBytes(d / path), bytes) << path;
        EXPECT_EQ(FolderNames(d / "O").size(), 1u);
        ++runs;
      }
    }
  }
  EXPECT_EQ(runs, 48);
}

// Only temporaries of the program's own form whose process is gone are removed: a user's
// file that merely looks like one stays, whichever command writes into its folder.
TEST(CliTemporaries, OnlyOursFromEndedRunsAreRemoved) {
  const std::vector<std::vector<std::string>> commands = {
      {"cut", "--kb", "1", "--out", "O", "in.txt"},
      {"chapters", "--out", "O", "in.txt"},
      {"epub", "--out", "O", "in.txt"},
      {"merge", "--out", "O", "in.txt", "two.txt"},
      {"clean", "--junk", "--out", "O/clean.txt", "in.txt"},
  };
  for (const auto& args : commands) {
    SCOPED_TRACE(args.front());
    Novel novel;
    const std::string looksLike = novel.dir / "O/.notes.txt.abcdefgh.tmp";
    const std::string ours = novel.dir / "O/.in-1.txt.morvane-999999999-AbCd1234.tmp";
    WriteBytes(looksLike, "notes");
    WriteBytes(ours, "left by a killed run");
    const ProgramRun run = RunCli(args, novel.dir.path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadBytes(looksLike), "notes");
    EXPECT_FALSE(ReadBytes(ours));
  }
}

// --out naming a device, a FIFO or a link to one is written as a stream and stays what it
// is; a link to a regular file gives way to the new file as before.
TEST(CliStreams, AreWrittenAsStreamsNeverReplaced) {
  struct Case {
    const char* what;
    std::function<void(const ScratchFolder&)> setUp;
    std::string out;  // what standard output receives
  };
  const std::string cleaned = GbkBytes("序言\n第一章 甲\n一\n第二章 乙\n第三章 丙\n三\n");
  const Case cases[] = {
      {"a link to /proc/self/fd/1",
       [](const ScratchFolder& d) { ::symlink("/proc/self/fd/1", (d / "name").c_str()); }, cleaned},
      {"a link to /dev/null",
       [](const ScratchFolder& d) { ::symlink("/dev/null", (d / "name").c_str()); }, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Novel novel;
    const ScratchFolder& d = novel.dir;
    c.setUp(d);
    // Standard output a pipe, as /proc/self/fd/1 is one in a pipeline.
    const ProgramRun run = RunCliRedirected(
        {"clean", "--rules", "rules.txt", "--out", "name", "in.txt"}, "| cat", d.path());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, c.out);
    struct stat info;
    ASSERT_EQ(::lstat((d / "name").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
  }
  // A FIFO gets the text through its reader.
  Novel novel;
  const std::string fifo = novel.dir / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const ProgramRun run =
      RunCli({"clean", "--rules", "rules.txt", "--out", "fifo", "in.txt"}, novel.dir.path());
  EXPECT_EQ(run.exitCode, 0) << run.err;
  char got[256];
  const ssize_t n = ::read(reader, got, sizeof got);
  ::close(reader);
  EXPECT_EQ(std::string(got, n > 0 ? static_cast<std::size_t>(n) : 0), cleaned);
  struct stat info;
  ASSERT_EQ(::lstat(fifo.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  // A link to a regular file keeps its rule: the link gives way, its target stays.
  ::symlink("two.txt", (novel.dir / "link").c_str());
  ASSERT_EQ(RunCli({"clean", "--out", "link", "in.txt"}, novel.dir.path()).exitCode, 0);
  EXPECT_EQ(ReadBytes(novel.dir / "two.txt"), GbkBytes("续\n"));
  ASSERT_EQ(::lstat((novel.dir / "link").c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
}

// Option values the command does not take are usage errors (exit 2) that write nothing: an
// empty value never takes the next word for its own.
TEST(CliOptionValues, AreUsageErrors) {
  const std::vector<std::vector<std::string>> cases = {
      {"clean", "--out=", "two.txt", "in.txt"},
      {"clean", "--out", "", "in.txt"},
      {"clean", "--rules=", "rules.txt", "in.txt"},
      {"epub", "--out", "O", "--title=", "T", "in.txt"},
      {"epub", "--out", "O", "--author=", "A", "in.txt"},
      {"cut", "--bytes", "99999999999999999999999", "--out", "O", "in.txt"},
      {"cut", "--kb", "2097152", "--out", "O", "in.txt"},
      {"merge", "--to", "auto", "--out", "O", "in.txt", "two.txt"},
      {"chapters", "--rule", "lines", "--map", "map.tsv", "--out", "O", "in.txt"},
      {"epub", "--rule", "lines", "--map", "map.tsv", "--out", "O", "in.txt"},
      {"chapters", "--skip", ",", "--out", "O", "in.txt"},
      {"chapters", "--skip", "1-", "--out", "O", "in.txt"},
      {"epub", "--skip", "1,,2", "--out", "O", "in.txt"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    Novel novel;
    const ProgramRun run = RunCli(args, novel.dir.path());
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_NE(run.err.find("用法：morvane-cli " + args.front()), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ReadBytes(novel.dir / "two.txt"), GbkBytes("续\n"));
    EXPECT_TRUE(FolderNames(novel.dir / "O").empty());
  }
}

// What the user is told, in Chinese, and the exit codes of the README's classes.
TEST(CliMessages, AreChineseAndEndAsTheirClass) {
  struct Case {
    std::vector<std::string> args;
    std::string redirect;  // of standard output, as a shell writes it
    int exitCode;
    std::string said;  // on standard error
  };
  const Case cases[] = {
      {{"banner"}, ">/dev/full", 1, "无法写入标准输出：磁盘空间不足"},
      {{"chapters", "--list", "in.txt"}, ">&-", 1, "无法写入标准输出：标准输出没有打开"},
      {{"--help"}, ">/dev/full", 1, "无法写入标准输出"},
      // Every file written: the count that cannot be printed goes to standard error.
      {{"chapters", "--out", "O", "in.txt"}, ">/dev/full", 0, "找到的章节标题数：3"},
      {{"epub", "--cover", "/nonexistent", "--out", "O", "in.txt"},
       "",
       1,
       "原因：文件或文件夹不存在"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args) + c.redirect);
    Novel novel;
    const ProgramRun run = RunCliRedirected(c.args, c.redirect, novel.dir.path());
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
  }
  // --report shows a line's tabs and control characters as spaces: three columns a row,
  // nothing that drives the terminal.
  Novel novel;
  WriteBytes(novel.dir / "odd.txt",
             "a\tb\x1B[31m\xC2\x9B"
             "c\r\n");
  WriteBytes(novel.dir / "odd-rules.txt", "re:a.*\n");
  const ProgramRun run =
      RunCli({"clean", "--report", "--rules", "odd-rules.txt", "odd.txt"}, novel.dir.path());
  EXPECT_EQ(run.out, "1\tjunk\ta b [31m c\n");
}

#endif

}  // namespace
}  // namespace morvane::testing
