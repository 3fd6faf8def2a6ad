// SPDX-License-Identifier: MIT
// morvane-cli end to end: generated GBK files in a scratch folder, the program run as a
// child process, its files compared with what the engine's algorithms give.

#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/encoding.h"
#include "core/files.h"
#include "core/folder_listing.h"
#include "core/path.h"
#include "engine/banner.h"
#include "engine/chapter_cutting.h"
#include "engine/script_conversion.h"
#include "engine/size_cutting.h"
#include "run_program.h"
#include "test_files.h"
#include "zip_entries.h"

namespace morvane::testing {
namespace {

using CliRun = ProgramRun;

std::string In(Encoding encoding, std::string_view utf8) {
  return Encode(encoding, Decode(Encoding::kUtf8, utf8).text).bytes;
}

// Runs morvane-cli with args in folder cwd; standard input is empty.
CliRun RunCli(const std::vector<std::string>& args, const std::string& cwd) {
  return RunProgram(MORVANE_CLI_PATH, args, cwd);
}

// GBK-like text with everything the cut and the search must get right: one- and
// two-byte characters, extension characters, stray lead bytes, line breaks and markers.
std::string RandomText(std::mt19937& random, std::size_t size) {
  const std::string parts[] = {
      GbkBytes("第"), GbkBytes("章"), GbkBytes("一"), "\x81\x40",      "a", "\r\n", " ",
      "\t",           "\xB5",         "\xFE\xFE",     GbkBytes("文字")};
  std::string text;
  while (text.size() < size) text += parts[random() % std::size(parts)];
  return text;
}

class Cli : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directory(FileSystemPath(out)); }
  // The files of the output folder without their banner, checked to have one.
  std::string Piece(const std::string& name) {
    std::string bytes = ReadBytes(out + "/" + name).value_or("<missing>");
    const std::string_view banner = BannerConstant().view();
    EXPECT_TRUE(std::string_view(bytes).ends_with(banner)) << name;
    return bytes.substr(0, bytes.size() - std::min(bytes.size(), banner.size()));
  }

  ScratchFolder dir;
  std::string out = dir / "out";
};

TEST_F(Cli, CutsAsTheEngineDoes) {
  std::mt19937 random(3);
  for (int round = 0; round < 6; ++round) {
    const std::string text = RandomText(random, 2000 + random() % 3000);
    WriteBytes(dir / "book.txt", text);
    const int bytes = static_cast<int>(random() % 700);
    const std::string folder = dir / ("out" + std::to_string(round));
    std::filesystem::create_directory(FileSystemPath(folder));
    out = folder;
    CliRun run =
        RunCli({"cut", "--bytes", std::to_string(bytes), "--out", folder, "book.txt"}, dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto pieces =
        CutPieces(ByteText(text), static_cast<int>(text.size()), SimplePieceBytesOf(bytes));
    ASSERT_EQ(FolderNames(folder).size(), pieces.size());
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      EXPECT_EQ(Piece("book-" + std::to_string(i + 1) + ".txt"), pieces[i].view()) << i;
    }
  }
}

TEST_F(Cli, CutsByKilobytesUnderTheGivenPrefix) {
  std::mt19937 random(5);
  const std::string text = RandomText(random, 5000);
  WriteBytes(dir / "book.txt", text);
  CliRun run = RunCli({"cut", "--kb", "2", "--prefix", "第一卷", "--out", out, dir / "book.txt"},
                      dir.path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto pieces = CutPieces(ByteText(text), static_cast<int>(text.size()), 2048);
  ASSERT_EQ(pieces.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(Piece("第一卷-" + std::to_string(i + 1) + ".txt"), pieces[i].view());
  }
}

TEST_F(Cli, ReadsSizesAsDecimalNumbersOnly) {
  WriteBytes(dir / "s.txt", "abcdefghi");
  // "010" is ten bytes, not eight: one piece holds the whole text.
  CliRun run = RunCli({"cut", "--bytes", "010", "--out", out, dir / "s.txt"}, dir.path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(FolderNames(out), std::vector<std::string>{"s-1.txt"});
  EXPECT_EQ(Piece("s-1.txt"), "abcdefghi");
  for (const char* size : {"0x3", "3K", "abc"}) {
    run = RunCli({"cut", "--kb", size, "--prefix", "x", "--out", out, dir / "s.txt"}, dir.path());
    EXPECT_NE(run.exitCode, 0) << size;
  }
  EXPECT_EQ(FolderNames(out).size(), 1u);
}

TEST_F(Cli, CutsChaptersAndPrintsTheirNumber) {
  std::mt19937 random(9);
  const std::string text = RandomText(random, 6000);
  WriteBytes(dir / "novel.txt", text);
  CliRun run = RunCli({"chapters", "--out", out, "novel.txt"}, dir.path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::vector<int> starts = FindChapterStarts(ByteText(text));
  ASSERT_GT(starts.size(), 10u);
  EXPECT_EQ(run.out, std::to_string(starts.size()) + "\n");
  const auto pieces = ChapterTexts(ByteText(text), starts);
  ASSERT_EQ(FolderNames(out).size(), pieces.size());
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    EXPECT_EQ(Piece("novel-" + std::to_string(k) + ".txt"), pieces[k].view()) << k;
  }
  // The map --list prints, read back by --map, cuts the same files.
  CliRun list = RunCli({"chapters", "--list", "novel.txt"}, dir.path());
  ASSERT_EQ(list.exitCode, 0) << list.err;
  WriteBytes(dir / "map.tsv", list.out);
  EXPECT_EQ(RunCli({"chapters", "--list", "--map", "map.tsv", "novel.txt"}, dir.path()).out,
            list.out);
  out = dir / "again";
  std::filesystem::create_directory(FileSystemPath(out));
  ASSERT_EQ(
      RunCli({"chapters", "--map", "map.tsv", "--out", out, "novel.txt"}, dir.path()).exitCode, 0);
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    EXPECT_EQ(Piece("novel-" + std::to_string(k) + ".txt"), pieces[k].view()) << k;
  }
}

TEST_F(Cli, MergesInOrderUnderTheFirstFilesName) {
  WriteBytes(dir / "a.b.txt", "one");
  WriteBytes(dir / "2.txt", GbkBytes("二\r\n"));
  WriteBytes(dir / "3.txt", "");
  CliRun run =
      RunCli({"merge", "--out", out + "/", "a.b.txt", "2.txt", "3.txt", "a.b.txt"}, dir.path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(FolderNames(out), std::vector<std::string>{"a.b已合并.txt"});
  EXPECT_EQ(Piece("a.b已合并.txt"), "one" + GbkBytes("二\r\n") + "one");
}

// Large files are written a piece at a time while they are still scanned, one after
// another: the merged file and the messages are those of a merge that read them whole
// first (--encoding, or --to where the texts are of two encodings).
TEST_F(Cli, MergesLargeFilesAsWhenReadWholeFirst) {
  const std::size_t size = (40u << 20) + 3;
  std::string gbk(size, 'a');
  for (std::size_t i = 0; i + 1 < size; i += 2) gbk.replace(i, 2, "\xB5\xDA");
  std::string zero = gbk;
  zero.replace((20u << 20) + 1, 2, std::string("\xB5\0", 2));
  std::string utf8(size, 'a');
  utf8.replace(size - 3, 3, "\xE7\xAC\xAC");
  const std::string two = "two\r\n";  // the same in either encoding
  struct Case {
    const char* what;
    const std::string* first;
    const char* option;  // what makes the merge read every file whole first
    const char* encoding;
    const std::string* second;  // nothing: a file that cannot be read
    bool merged;
  };
  const Case cases[] = {
      {"GBK", &gbk, "--encoding", "gbk", &two, true},
      {"a zero after the first piece", &zero, "--encoding", "gbk", &two, true},
      {"UTF-8 seen only at the end", &utf8, "--encoding", "utf-8", &two, true},
      {"a second file that cannot be read", &gbk, "--encoding", "gbk", nullptr, false},
      {"a large second file with a zero", &gbk, "--encoding", "gbk", &zero, true},
      {"a large second file in another encoding", &gbk, "--to", "gbk", &utf8, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(dir / "big.txt", *c.first);
    std::filesystem::remove(FileSystemPath(dir / "2.txt"));
    if (c.second) WriteBytes(dir / "2.txt", *c.second);
    std::string runs[2][2];  // the merged file and the messages, followed and read whole
    for (int whole = 0; whole < 2; ++whole) {
      const std::string folder = out + (whole ? "/whole" : "/followed");
      std::filesystem::create_directory(folder);
      std::vector<std::string> args = {"merge", "--out", folder, "big.txt", "2.txt"};
      if (whole) args.insert(args.begin() + 1, {c.option, c.encoding});
      CliRun run = RunCli(args, dir.path());
      EXPECT_EQ(run.exitCode == 0, c.merged) << run.err;
      const auto names = FolderNames(folder);
      ASSERT_EQ(names.size(), c.merged ? 1u : 0u);
      if (c.merged) runs[whole][0] = ReadBytes(folder + "/" + names[0]).value_or("");
      runs[whole][1] = run.err;
      std::filesystem::remove_all(folder);
    }
    EXPECT_TRUE(runs[0][0] == runs[1][0]);
    EXPECT_EQ(runs[0][1], runs[1][1]);
  }
}

TEST_F(Cli, CleansToStandardOutputAndPrintsTheBanner) {
  WriteBytes(dir / "t.txt", "a b\tc\r\nd\re\n\xB5");
  EXPECT_EQ(RunCli({"clean", "--spaces", "--tabs", "t.txt"}, dir.path()).out, "abc\r\nd\re\n\xB5");
  EXPECT_EQ(RunCli({"clean", "--line-breaks", "t.txt"}, dir.path()).out, "a b\tcd\re\n\xB5");
  EXPECT_EQ(RunCli({"banner"}, dir.path()).out, BannerConstant().view());
}

// The line cleaning: the report lists what the cleaning then leaves out, --out writes the
// same bytes, and rules that cannot be read or a --out over the input write nothing.
TEST_F(Cli, CleansLinesAndReportsWhatGoes) {
  const std::string text =
      "\xEF\xBB\xBF第一章 开始\r\n第一章 开始\r\n\r\n\r\n请记住本站域名：www.a.com\r\n  正文。 "
      "\r\n";
  WriteBytes(dir / "t.txt", text);
  WriteBytes(dir / "bad.txt", "re:[a\n");
  WriteBytes(dir / "mine.txt", "# mine\nre:正文.*\n");
  const std::vector<std::string> all = {"--junk", "--repeated-titles", "--blank-lines",
                                        "one",    "--trailing-space",  "--indent",
                                        "none"};
  auto with = [&](std::vector<std::string> args) {
    args.insert(args.begin() + 1, all.begin(), all.end());
    return args;
  };
  const CliRun report = RunCli(with({"clean", "--report", "t.txt"}), dir.path());
  EXPECT_EQ(report.out,
            "2\trepeated-title\t第一章 开始\n4\tblank-line\t\n5\tjunk\t请记住本站域名：www.a.com\n"
            "6\ttrailing-space\t  正文。 \n6\tindent\t  正文。 \n");
  const std::string cleaned = "第一章 开始\r\n\r\n正文。\r\n";
  EXPECT_EQ(RunCli(with({"clean", "t.txt"}), dir.path()).out, cleaned);
  EXPECT_EQ(RunCli(with({"clean", "--line-breaks", "t.txt"}), dir.path()).out, "第一章 开始正文。");
  EXPECT_EQ(RunCli(with({"clean", "--out", "o.txt", "t.txt"}), dir.path()).exitCode, 0);
  EXPECT_EQ(ReadBytes(dir.path() + "/o.txt"), "\xEF\xBB\xBF" + cleaned);
  EXPECT_EQ(RunCli({"clean", "--rules", "mine.txt", "t.txt"}, dir.path()).out,
            "第一章 开始\r\n第一章 开始\r\n\r\n\r\n请记住本站域名：www.a.com\r\n");
  const CliRun bad = RunCli({"clean", "--rules", "bad.txt", "t.txt"}, dir.path());
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_NE(bad.err.find("第1行"), std::string::npos) << bad.err;
  EXPECT_EQ(RunCli({"clean", "--junk", "--out", "t.txt", "t.txt"}, dir.path()).exitCode, 1);
  EXPECT_EQ(ReadBytes(dir.path() + "/t.txt"), text);
  EXPECT_EQ(RunCli({"clean", "--blank-lines", "two", "t.txt"}, dir.path()).exitCode, 2);
}

// The conversion gives what the opencc command of OpenCC gives for the same configuration,
// from the text's own encoding; what the encoding cannot hold needs --to.
TEST_F(Cli, ConvertsAsOpenccDoes) {
#ifdef _WIN32
  GTEST_SKIP() << "the opencc command is a Linux program";
#endif
  if (!ScriptConversionAvailable() || !std::filesystem::exists("/usr/bin/opencc")) {
    GTEST_SKIP() << "no OpenCC in this build, or no opencc command";
  }
  const std::string text =
      "鼠标和软件在后台，頭髮乾燥了。\r\n滑鼠、軟體與計算機的資訊\n著名的著作，干净的乾隆皇帝\n";
  WriteBytes(dir / "u.txt", text);
  WriteBytes(dir / "g.txt", In(Encoding::kGbk, "鼠标和软件在后台，头发干燥了。\r\n"));
  for (std::string_view config : kScriptConversions) {
    SCOPED_TRACE(config);
    const std::string c(config);
    const CliRun reference = RunProgram(
        "/usr/bin/opencc", {"-c", c + ".json", "-i", "u.txt", "-o", "r.txt"}, dir.path());
    ASSERT_EQ(reference.exitCode, 0) << reference.err;
    EXPECT_EQ(RunCli({"clean", "--convert", c, "u.txt"}, dir.path()).out,
              ReadBytes(dir.path() + "/r.txt"));
  }
  // The GBK text converted keeps GBK, which holds these traditional characters.
  const CliRun gbk =
      RunCli({"clean", "--encoding", "gbk", "--convert", "s2t", "g.txt"}, dir.path());
  EXPECT_EQ(gbk.exitCode, 0);
  WriteBytes(dir / "g8.txt", In(Encoding::kUtf8, "鼠标和软件在后台，头发干燥了。\r\n"));
  RunProgram("/usr/bin/opencc", {"-c", "s2t.json", "-i", "g8.txt", "-o", "r8.txt"}, dir.path());
  EXPECT_EQ(gbk.out, In(Encoding::kGbk, *ReadBytes(dir.path() + "/r8.txt")));
  // Big5 lacks the simplified characters: refused without --to, written with it.
  WriteBytes(dir / "b.txt", In(Encoding::kBig5, "頭髮乾燥了\n"));
  const CliRun big5 =
      RunCli({"clean", "--encoding", "big5", "--convert", "t2s", "b.txt"}, dir.path());
  EXPECT_EQ(big5.exitCode, 1);
  EXPECT_EQ(big5.out, "");
  EXPECT_NE(big5.err.find("--to"), std::string::npos);
  EXPECT_EQ(RunCli({"clean", "--encoding", "big5", "--convert", "t2s", "--to", "utf-8", "b.txt"},
                   dir.path())
                .out,
            "头发干燥了\n");
}

TEST_F(Cli, RefusalsEndNonZeroAndWriteNothing) {
  WriteBytes(dir / "book.txt", std::string(5000, 'x'));
  // A map whose second row goes back.
  WriteBytes(dir / "map.tsv", "1\t100\n2\t50\n");
  const std::vector<std::vector<std::string>> refused = {
      {"chapters", "--map", "map.tsv", "--out", out, "book.txt"},
      {"cut", "--bytes", "-1", "--out", out, "book.txt"},
      {"cut", "--kb", "0", "--out", out, "book.txt"},
      {"cut", "--kb", "2097152", "--out", out, "book.txt"},
      {"cut", "--kb", "1", "--out", dir / "gone", "book.txt"},
      {"cut", "--kb", "1", "--out", out, "missing.txt"},
      {"cut", "--kb", "1", "--prefix", "a/b", "--out", out, "book.txt"},
      {"chapters", "--out", out, dir.path()},
      {"merge", "--out", out, "book.txt"},
      // The merged file is written while the later inputs are read: one that cannot be
      // read leaves nothing, whatever was written before it.
      {"merge", "--out", out, "book.txt", "book.txt", "missing.txt"},
      {"merge", "--out", out, "book.txt", dir.path(), "book.txt"},
      {"cut", "--out", out, "book.txt"},
      {"epub", "--map", "map.tsv", "--out", out, "book.txt"},
      {"epub", "--out", out, "empty.txt"},
      {"epub", "--cover", "book.txt", "--out", out, "book.txt"},
      {"epub", "--cover", "missing.png", "--out", out, "book.txt"},
      {"epub", "--rule", "lines", "--out", out, "headings.txt"},         // a heading every 9 bytes
      {"epub", "--map", "map.tsv", "--junk", "--out", out, "book.txt"},  // offsets of the text
      {"epub", "--css", "missing.css", "--out", out, "book.txt"},
  };
  WriteBytes(dir / "empty.txt", "");
  std::string headings;
  // Numbered on: a book's cleaning takes a heading repeated on the next line away.
  for (int i = 1; i <= 2000; ++i) headings += GbkBytes("第" + std::to_string(i) + "章\n");
  WriteBytes(dir / "headings.txt", headings);
  for (const auto& args : refused) {
    SCOPED_TRACE(::testing::PrintToString(args));
    CliRun run = RunCli(args, dir.path());
    EXPECT_NE(run.exitCode, 0);
    EXPECT_FALSE(run.err.empty());
    EXPECT_TRUE(run.out.empty());
  }
  // A first input that cannot be read is a refusal like any other, not an abort.
  const CliRun first = RunCli({"merge", "--out", out, "missing.txt", "book.txt"}, dir.path());
  EXPECT_EQ(first.exitCode, 1);
  EXPECT_EQ(first.err.find("missing.txt"), first.err.rfind("missing.txt")) << first.err;
  EXPECT_TRUE(FolderNames(out).empty());
}

// Usage errors are told in Chinese, in one line with the command's short usage, and end
// with 2; refusals of what the user asked for name what is wrong, and end with 1.
TEST_F(Cli, SaysWhatIsWrongInOneLine) {
  WriteBytes(dir / "book.txt", GbkBytes("第一章\n第二章\n第三章\n"));
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string said;
    std::string usage;  // the command the usage is shown for
  };
  const Case cases[] = {
      {{"chapters", "--per-file", "0", "--out", out, "book.txt"}, 2, "“0”", "chapters"},
      {{"cut", "--encoding", "latin1", "--kb", "1", "--out", out, "book.txt"}, 2, "latin1", "cut"},
      {{"merge", "--out", out, "book.txt"}, 2, "2到5个文件，给了1个", "merge"},
      {{"split", "book.txt"}, 2, "没有这个命令：split", "cut|chapters"},
      {{"chapters", "book.txt"}, 2, "缺少 --out", "chapters"},
      {{"cut", "--kb", "1", "--bytes", "1", "--out", out, "book.txt"}, 2, "只能选一个", "cut"},
      {{"cut", "--kb", "1", "--fast", "--out", out, "book.txt"}, 2, "--fast", "cut"},
      {{"detect"}, 2, "缺少", "detect"},
      {{"epub", "book.txt"}, 2, "缺少 --out", "epub"},
      {{"epub", "--rule", "any", "--out", out, "book.txt"}, 2, "“any”", "epub"},
      {{"chapters", "--skip", "3-2", "--out", out, "book.txt"},
       1,
       "\"3-2\"是倒着写的，应写作 2-3",
       ""},
      {{"chapters", "--skip", "4", "--out", out, "book.txt"}, 1, "编号应在1到3之间", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const CliRun run = RunCli(c.args, dir.path());
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    if (!c.usage.empty()) {
      EXPECT_NE(run.err.find("用法：morvane-cli " + c.usage), std::string::npos) << run.err;
    }
  }
  EXPECT_TRUE(FolderNames(out).empty());
  // detect: one line per file in their order, the one that cannot be read with its reason.
  const CliRun run = RunCli({"detect", "book.txt", "missing.txt", "book.txt"}, dir.path());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, "gbk\n无法打开文件：missing.txt，原因：文件或文件夹不存在\ngbk\n");
  // A name with a character GBK lacks is told as it is on a UTF-8 terminal.
  EXPECT_NE(
      RunCli({"cut", "--kb", "1", "--out", out, "book😀.txt"}, dir.path()).err.find("book😀.txt"),
      std::string::npos);
  EXPECT_EQ(RunCli({"cut", "--help"}, dir.path()).exitCode, 0);
}

// The entries of a ZIP file by name.
std::map<std::string, std::string> Unzipped(const std::string& path) {
  std::map<std::string, std::string> entries;
  for (ZipEntry& entry : ZipEntries(path)) entries[entry.name] = std::move(entry.bytes);
  return entries;
}

TEST_F(Cli, MakesABookOfTheChapterMap) {
  WriteBytes(
      dir / "书.txt",
      GbkBytes("作者：王五\r\n\r\n第一章 甲\r\n一\r\n第二章 乙\r\n二\r\n第三章 丙\r\n三\r\n"));
  const std::string png = ReadBytes(MORVANE_TEST_DATA_DIR "/cover.png").value();
  WriteBytes(dir / "cover.png", png);
  ASSERT_EQ(RunCli({"epub", "--skip", "2", "--out", out, "书.txt"}, dir.path()).exitCode, 0);
  ASSERT_EQ(RunCli({"epub", "--title", "T&T", "--author", "A", "--cover", "cover.png", "--prefix",
                    "p", "--out", out, "书.txt"},
                   dir.path())
                .exitCode,
            0);
  EXPECT_EQ(FolderNames(out), (std::vector<std::string>{"p.epub", "书.epub"}));
  // minizip opens files by narrow names, which Windows reads in its code page.
  std::filesystem::copy_file(FileSystemPath(out + "/书.epub"), FileSystemPath(dir / "book.zip"));
  auto book = Unzipped(dir / "book.zip");
  const std::string& opf = book["OEBPS/content.opf"];
  EXPECT_NE(opf.find("<dc:title>书</dc:title>"), std::string::npos) << opf;
  EXPECT_NE(opf.find("<dc:creator>王五</dc:creator>"), std::string::npos) << opf;
  const std::string& nav = book["OEBPS/nav.xhtml"];
  EXPECT_NE(nav.find(">第一章 甲<"), std::string::npos);
  EXPECT_EQ(nav.find(">第二章 乙<"), std::string::npos);  // skipped: inside the first chapter
  EXPECT_NE(nav.find(">第三章 丙<"), std::string::npos);
  book = Unzipped(out + "/p.epub");
  EXPECT_NE(book["OEBPS/content.opf"].find("<dc:title>T&amp;T</dc:title>"), std::string::npos);
  EXPECT_NE(book["OEBPS/content.opf"].find("<dc:creator>A</dc:creator>"), std::string::npos);
  EXPECT_EQ(book["OEBPS/cover.png"], png);
}

// A download made into a book in one step: the automatic rule, the metadata of the name
// and header, the table of contents at the front left uncut, a repeated heading taken away;
// then the language, the vertical writing and the user's style sheet.
TEST_F(Cli, MakesADownloadIntoABookInOneStep) {
  WriteBytes(
      dir / "《某书》（校对版全本）.txt",
      GbkBytes("作者：某人 著\r\n内容简介：\r\n　　一句简介。\r\n\r\n目录\r\n第一章 甲\r\n"
               "第二章 乙\r\n第三章 丙\r\n\r\n第一章 甲\r\n第一章 甲\r\n一一\r\n第二章 乙\r\n"
               "二二\r\n第三章 丙\r\n三三\r\n番外 梦\r\n四四\r\n"));
  WriteBytes(dir / "my.css", "p { color: #222; }\n");
  const CliRun plain =
      RunCli({"epub", "--prefix", "a", "--out", out, "《某书》（校对版全本）.txt"}, dir.path());
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  EXPECT_EQ(plain.err, "");  // the map looks right: no warning
  ASSERT_EQ(RunCli({"epub", "--convert", "s2t", "--vertical", "--css", "my.css", "--title",
                    "另一书", "--prefix", "b", "--out", out, "《某书》（校对版全本）.txt"},
                   dir.path())
                .exitCode,
            0);
  std::filesystem::copy_file(FileSystemPath(out + "/a.epub"), FileSystemPath(dir / "a.zip"));
  auto book = Unzipped(dir / "a.zip");
  const std::string& opf = book["OEBPS/content.opf"];
  EXPECT_NE(opf.find("<dc:title>某书</dc:title>"), std::string::npos) << opf;
  EXPECT_NE(opf.find("<dc:creator>某人</dc:creator>"), std::string::npos) << opf;
  EXPECT_NE(opf.find("<dc:description>一句简介。</dc:description>"), std::string::npos) << opf;
  EXPECT_NE(opf.find("<dc:language>zh-Hans</dc:language>"), std::string::npos) << opf;
  EXPECT_NE(book["OEBPS/title.xhtml"].find("<h1>某书</h1>"), std::string::npos);
  const std::string& nav = book["OEBPS/nav.xhtml"];
  EXPECT_EQ(nav.find(">第一章 甲<"), nav.rfind(">第一章 甲<")) << nav;  // the list is not cut
  EXPECT_NE(nav.find(">番外 梦<"), std::string::npos) << nav;
  EXPECT_NE(book["OEBPS/c0.xhtml"].find("目录"), std::string::npos);  // in the front matter
  const std::string& first = book["OEBPS/c1.xhtml"];
  EXPECT_EQ(first.find("第一章 甲</p>"), std::string::npos) << first;  // the repeat is gone

  std::filesystem::copy_file(FileSystemPath(out + "/b.epub"), FileSystemPath(dir / "b.zip"));
  book = Unzipped(dir / "b.zip");
  EXPECT_NE(book["OEBPS/content.opf"].find("<dc:language>zh-Hant</dc:language>"),
            std::string::npos);
  EXPECT_NE(book["OEBPS/content.opf"].find("<dc:title>另一书</dc:title>"), std::string::npos);
  EXPECT_NE(book["OEBPS/content.opf"].find("page-progression-direction=\"rtl\""),
            std::string::npos);
  EXPECT_NE(book["OEBPS/style.css"].find("writing-mode: vertical-rl"), std::string::npos);
  EXPECT_EQ(book["OEBPS/user.css"], "p { color: #222; }\n");
  EXPECT_NE(book["OEBPS/c1.xhtml"].find("href=\"user.css\""), std::string::npos);

  // A map with too few headings is warned of, with what the automatic rule finds.
  WriteBytes(dir / "one.txt", GbkBytes("第一章 甲\r\n一\r\n"));
  const CliRun doubtful = RunCli({"epub", "--rule", "near", "--out", out, "one.txt"}, dir.path());
  EXPECT_EQ(doubtful.exitCode, 0);
  EXPECT_NE(doubtful.err.find("目录可能有误"), std::string::npos) << doubtful.err;
}

// Many books at once: one line per file in their order, past a file that fails, 1 at the
// end with every good book written.
TEST_F(Cli, MakesManyBooksAndGoesOnPastAFailure) {
  const std::string text = GbkBytes("第一章 甲\r\n一\r\n第二章 乙\r\n二\r\n第三章 丙\r\n三\r\n");
  WriteBytes(dir / "a.txt", text);
  WriteBytes(dir / "b.txt", "");
  WriteBytes(dir / "c.txt", text);
  const CliRun run =
      RunCli({"epub", "--jobs", "2", "--out", out, "a.txt", "b.txt", "c.txt"}, dir.path());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out,
            "a.txt\tgbk\t3 章\t无\t成功\nb.txt\tgbk\t0 章\t无\t失败\nc.txt\tgbk\t3 章\t无\t成功\n");
  EXPECT_EQ(FolderNames(out), (std::vector<std::string>{"a.epub", "c.epub"}));
  EXPECT_EQ(RunCli({"epub", "--title", "T", "--out", out, "a.txt", "c.txt"}, dir.path()).exitCode,
            2);
}

// Many files for every command that takes them: one line per file in their order, past a
// file that fails, 1 at the end with every good output written as the file alone writes it;
// a later file whose outputs would have an earlier one's name is left alone.
TEST_F(Cli, RunsManyFilesAsEachAlone) {
  const std::string text = GbkBytes("第一章 甲\r\n一 二\r\n第二章 乙\r\n二\r\n第三章 丙\r\n三\r\n");
  WriteBytes(dir / "a.txt", text);
  WriteBytes(dir / "one.txt", GbkBytes("第一章 甲\r\n一\r\n"));
  std::filesystem::create_directory(FileSystemPath(dir / "x"));
  WriteBytes(dir / "x/a.txt", text);
  const std::vector<std::string> inputs = {"a.txt", "missing.txt", "x/a.txt", "one.txt"};
  struct Case {
    std::vector<std::string> args;   // the inputs follow
    std::vector<std::string> alone;  // a.txt alone, into the folder "alone"
    std::string lines;
    std::vector<std::string> files;  // under the output folder, folders with a "/"
    std::string a;                   // a.txt's output that alone writes too
  };
  const Case cases[] = {
      {{"cut", "--kb", "1", "--jobs", "2", "--out", out},
       {"cut", "--kb", "1", "--out", "alone"},
       "a.txt\tgbk\t成功\nmissing.txt\t-\t失败\nx/a.txt\t-\t失败\none.txt\tgbk\t成功\n",
       {"a/", "a/a-1.txt", "one/", "one/one-1.txt"},
       "a/a-1.txt"},
      {{"chapters", "--jobs", "2", "--out", out},
       {"chapters", "--out", "alone"},
       "a.txt\tgbk\t3 章\t无\t成功\nmissing.txt\t-\t0 章\t无\t失败\nx/a.txt\t-\t0 章\t无\t失败\n"
       "one.txt\tgbk\t1 章\t目录可能有误（0 个有提示）\t成功\n",
       {"a/", "a/a-0.txt", "a/a-1.txt", "a/a-2.txt", "a/a-3.txt", "one/", "one/one-0.txt",
        "one/one-1.txt"},
       "a/a-2.txt"},
      {{"chapters", "--rule", "lines", "--names", "title", "--jobs", "1", "--out", out},
       {"chapters", "--rule", "lines", "--names", "title", "--out", "alone"},
       "a.txt\tgbk\t3 章\t无\t成功\nmissing.txt\t-\t0 章\t无\t失败\nx/a.txt\t-\t0 章\t无\t失败\n"
       "one.txt\tgbk\t1 章\t目录可能有误（0 个有提示）\t成功\n",
       {"a/", "a/a-0000.txt", "a/a-0001 第一章 甲.txt", "a/a-0002 第二章 乙.txt",
        "a/a-0003 第三章 丙.txt", "one/", "one/one-0000.txt", "one/one-0001 第一章 甲.txt"},
       "a/a-0003 第三章 丙.txt"},
      {{"epub", "--jobs", "2", "--out", out},
       {"epub", "--out", "alone"},
       "a.txt\tgbk\t3 章\t无\t成功\nmissing.txt\t-\t0 章\t无\t失败\nx/a.txt\t-\t0 章\t无\t失败\n"
       "one.txt\tgbk\t1 章\t目录可能有误（0 个有提示）\t成功\n",
       {"a.epub", "one.epub"},
       "a.epub"},
      {{"clean", "--spaces", "--out-dir", out},
       {"clean", "--spaces", "--out", "alone/a.txt"},
       "a.txt\tgbk\t成功\nmissing.txt\t-\t失败\nx/a.txt\t-\t失败\none.txt\tgbk\t成功\n",
       {"a.txt", "one.txt"},
       "a.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    std::filesystem::remove_all(FileSystemPath(out));
    std::filesystem::remove_all(FileSystemPath(dir / "alone"));
    std::filesystem::create_directory(FileSystemPath(out));
    std::filesystem::create_directory(FileSystemPath(dir / "alone"));
    std::vector<std::string> args = c.args;
    args.insert(args.end(), inputs.begin(), inputs.end());
    const CliRun run = RunCli(args, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, c.lines);
    EXPECT_NE(run.err.find("“x/a.txt”的输出与前面的“a.txt”同名"), std::string::npos) << run.err;
    std::vector<std::string> files;
    // A folder made for a file that failed is taken away again.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(FileSystemPath(out))) {
      files.push_back(entry.path().lexically_relative(FileSystemPath(out)).generic_string() +
                      (entry.is_directory() ? "/" : ""));
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, c.files);
    std::vector<std::string> alone = c.alone;
    alone.push_back("a.txt");
    ASSERT_EQ(RunCli(alone, dir.path()).exitCode, 0);
    const std::string name = c.a.substr(c.a.find('/') + 1);
    EXPECT_EQ(ReadBytes(out + "/" + c.a), ReadBytes(dir / ("alone/" + name)));
  }
  // Options that name one file's outputs or map cannot name many.
  for (const std::vector<std::string>& single :
       {std::vector<std::string>{"chapters", "--list", "a.txt", "one.txt"},
        {"clean", "--spaces", "a.txt", "one.txt"},
        {"clean", "--report", "--out-dir", out, "a.txt", "one.txt"}}) {
    EXPECT_EQ(RunCli(single, dir.path()).exitCode, 2) << ::testing::PrintToString(single);
  }
}

TEST_F(Cli, NeverWritesOverItsInput) {
  WriteBytes(out + "/p-2.txt", std::string(3000, 'x'));
  CliRun run =
      RunCli({"cut", "--kb", "1", "--prefix", "p", "--out", out, "out/p-2.txt"}, dir.path());
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.err.find(out + kPathSeparator + "p-2.txt"), std::string::npos) << run.err;
  EXPECT_EQ(FolderNames(out), std::vector<std::string>{"p-2.txt"});
  EXPECT_EQ(ReadBytes(out + "/p-2.txt"), std::string(3000, 'x'));
}

TEST_F(Cli, WarnsWhenTheTextEndsBeforeTheFile) {
  WriteBytes(dir / "broken.txt", std::string("\xB5\xDA\x41\x00\x42\x43", 6));
  CliRun run = RunCli({"cut", "--bytes", "0", "--out", out, "broken.txt"}, dir.path());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.err.find("0x00"), std::string::npos) << run.err;
  EXPECT_EQ(FolderNames(out).size(), 3u);  // B5 DA, 41, and the banner alone
}

}  // namespace
}  // namespace morvane::testing

namespace morvane::testing {
namespace {

// The encoding options: detect names what it finds, --encoding overrides detection, and
// --to chooses the merged file's encoding or refuses what it cannot hold.
TEST_F(Cli, DetectsAndOverridesEncodings) {
  using namespace std::string_literals;
  const std::string chapter = "\xE7\xAC\xAC\xE4\xB8\x80\xE7\xAB\xA0 \xE5\xBA\x8F\r\n";  // 第一章 序
  WriteBytes(dir / "u8.txt", "\xEF\xBB\xBF" + chapter);
  WriteBytes(dir / "le.txt",
             "\xFF\xFE"
             "A\0\r\0\n\0"s);
  WriteBytes(dir / "g.txt", GbkBytes("第一章 序\r\n"));
  WriteBytes(dir / "smile.txt", "\xF0\x9F\x98\x80");
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string out;
    std::vector<std::string> files;
  };
  const Case cases[] = {
      {{"detect", "u8.txt", "le.txt", "g.txt"}, 0, "utf-8 bom\nutf-16le bom\ngbk\n", {}},
      {{"chapters", "--out", out, "u8.txt"}, 0, "1\n", {"u8-0.txt", "u8-1.txt"}},
      {{"chapters", "--encoding", "gbk", "--out", out, "u8.txt"}, 0, "0\n", {"u8-0.txt"}},
      {{"clean", "--spaces", "--encoding", "utf-16le", "le.txt"}, 0, "A\0\r\0\n\0"s, {}},
      {{"merge", "--to", "utf-8", "--out", out, "g.txt", "smile.txt"}, 0, "", {"g已合并.txt"}},
      {{"merge", "--out", out, "g.txt", "smile.txt"}, 1, "", {}},
      {{"cut", "--encoding", "latin-1", "--kb", "1", "--out", out, "g.txt"}, 2, "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    for (const std::string& name : FolderNames(out))
      std::filesystem::remove(FileSystemPath(out + "/" + name));
    const CliRun run = RunCli(c.args, dir.path());
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    if (c.exitCode == 0) {
      EXPECT_EQ(run.out, c.out);
    }
    EXPECT_EQ(FolderNames(out), c.files);
  }
  // The UTF-8 pieces keep the mark and end with the banner in UTF-8.
  RunCli({"chapters", "--out", out, "u8.txt"}, dir.path());
  EXPECT_EQ(ReadBytes(out + "/u8-1.txt"),
            "\xEF\xBB\xBF" + chapter + std::string(BannerIn(Encoding::kUtf8).view()));
  // So do those of a corrected map.
  RunCli({"chapters", "--names", "title", "--out", out, "u8.txt"}, dir.path());
  EXPECT_EQ(ReadBytes(out + "/u8-0001 \xE7\xAC\xAC\xE4\xB8\x80\xE7\xAB\xA0 \xE5\xBA\x8F.txt"),
            "\xEF\xBB\xBF" + chapter + std::string(BannerIn(Encoding::kUtf8).view()));
  RunCli({"merge", "--to", "utf-8", "--out", out, "g.txt", "smile.txt"}, dir.path());
  EXPECT_EQ(ReadBytes(out + "/g已合并.txt"),
            chapter + "\xF0\x9F\x98\x80" + std::string(BannerIn(Encoding::kUtf8).view()));
}

// Damaged texts: a UTF-8 novel with one bad byte or a last character cut short is still
// UTF-8 (its headings found, its pieces whole characters), a GBK text with bytes that are
// no character is cut as GBK; both say where the bad bytes are, and a merge that would
// carry them raw into another encoding is refused with their position.
TEST_F(Cli, ReadsDamagedTextsInTheirEncodingAndSaysWhereTheyAreDamaged) {
  std::string novel;
  for (int k = 1; k <= 10; ++k) {
    novel += "第" + std::to_string(k) + "章 标题\r\n";
    for (int line = 0; line < 60; ++line) novel += "　　天色渐渐暗了下来。\r\n";
  }
  std::size_t at = 20000;  // a character's start
  while ((novel.at(at) & 0xC0) == 0x80) ++at;
  const std::string place = "字节" + std::to_string(at + 1) + "处";
  WriteBytes(dir / "bad.txt", novel.substr(0, at) + "\xFF" + novel.substr(at));
  WriteBytes(dir / "short.txt", novel + "\xE7\xAC");
  WriteBytes(dir / "ff.txt", GbkBytes("第一章") + "\xFF\x80" + GbkBytes("序"));
  WriteBytes(dir / "g.txt", GbkBytes("第一章 序\r\n"));
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string out;
    std::string err;  // in standard error
  };
  const Case cases[] = {
      {{"detect", "bad.txt", "short.txt", "ff.txt"}, 0, "utf-8\nutf-8\ngbk\n", ""},
      {{"chapters", "--out", out, "bad.txt"}, 0, "10\n", "1个字节不是UTF-8字符（第一个在" + place},
      {{"cut", "--kb", "1", "--out", out, "short.txt"}, 0, "", "2个字节不是UTF-8字符"},
      {{"cut", "--kb", "1", "--out", out, "ff.txt"},
       0,
       "",
       "2个字节不是GBK字符（第一个在字节7处）"},
      {{"merge", "--to", "utf-8", "--out", out, "g.txt", "ff.txt"},
       1,
       "",
       "字节7处的字节不是GBK字符"},
      {{"merge", "--out", out, "g.txt", "bad.txt"}, 1, "", place + "的字节不是UTF-8字符"},
      {{"clean", "--to", "utf-8", "ff.txt"}, 1, "", "字节7处的字节不是GBK字符，不能转换为UTF-8"},
      {{"clean", "--to", "gb18030", "--out", out + "/c.txt", "bad.txt"},
       1,
       "",
       place + "的字节不是UTF-8字符"},
      {{"epub", "--out", out, "ff.txt"}, 1, "", "字节7处的字节不是GBK字符"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    std::filesystem::remove_all(FileSystemPath(out));
    std::filesystem::create_directory(FileSystemPath(out));
    const CliRun run = RunCli(c.args, dir.path());
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_EQ(run.out, c.out);
    EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    if (c.exitCode != 0) {
      EXPECT_TRUE(FolderNames(out).empty());
    }
  }
  // The pieces of the cut-short text are whole UTF-8 characters, but the last.
  ASSERT_EQ(RunCli({"cut", "--kb", "1", "--out", out, "short.txt"}, dir.path()).exitCode, 0);
  const auto names = FolderNames(out);
  ASSERT_GT(names.size(), 20u);
  for (std::size_t k = 1; k < names.size(); ++k) {
    const std::string piece = ReadBytes(out + "/short-" + std::to_string(k) + ".txt").value_or("");
    EXPECT_EQ(FindUndecodable(Encoding::kUtf8, piece).count, 0u) << k;
    EXPECT_TRUE(std::string_view(piece).ends_with(BannerIn(Encoding::kUtf8).view())) << k;
  }
}

// Conversions carry every character, private-use ones included, into the target, and the
// same way in clean --to and merge --to: the output is what Transcode makes of the file.
// A text in UTF-16 without a mark or line feeds is detected by the script it reads as.
TEST_F(Cli, ConvertsEveryCharacterTheSameWayInEveryCommand) {
  struct File {
    const char* name;
    Encoding encoding;
    std::string bytes;
  };
  std::u16string heading;
  while (heading.size() * 2 < 1740) heading += u"第一章 开始";
  const File files[] = {
      {"pu.txt", Encoding::kUtf8,
       "A\xEF\x9C\xA0\xEF\x9E\x80\xEF\x9F\xBF\xEE\x80\x80"
       "B\xF0\x9F\x98\x80\r\n"},
      {"b5.txt", Encoding::kBig5,
       "\xA2\xA4\xA2\xA4\xA2\xA4\r\n\xC7\xD3\xC8\xB5\xA2\xCC\xF9\xFA\xA4\x40\xFA\x40\r\n"},
      {"g.txt", Encoding::kGbk, GbkBytes("第一章 序\r\n") + "\xAA\xA1\xFE\xFE"},
      {"le.txt", Encoding::kUtf16Le, Encode(Encoding::kUtf16Le, heading).bytes.substr(0, 1740)},
  };
  for (const File& f : files) WriteBytes(dir / f.name, f.bytes);
  EXPECT_EQ(RunCli({"detect", "le.txt"}, dir.path()).out, "utf-16le\n");
  // The character U+F720 is a character in UTF-16 too, not a byte.
  EXPECT_EQ(RunCli({"clean", "--to", "utf-16le", "pu.txt"}, dir.path()).out.substr(0, 6),
            std::string("A\0\x20\xF7\x80\xF7", 6));
  for (const File& f : files) {
    for (Encoding to : {Encoding::kUtf8, Encoding::kUtf16Be, Encoding::kGb18030, Encoding::kBig5}) {
      SCOPED_TRACE(std::string(f.name) + " to " + std::string(EncodingName(to)));
      const EncodedText expected = Transcode(f.encoding, to, f.bytes);
      const std::string target(EncodingName(to));
      const std::string from(EncodingName(f.encoding));
      const CliRun clean =
          RunCli({"clean", "--encoding", from, "--to", target, f.name}, dir.path());
      EXPECT_EQ(clean.exitCode, expected.unencodable > 0 ? 1 : 0) << clean.err;
      if (expected.unencodable > 0) continue;
      EXPECT_EQ(clean.out, expected.bytes);
      EXPECT_EQ(Decode(to, clean.out).undecodable, 0u);
      std::filesystem::remove_all(FileSystemPath(out));
      std::filesystem::create_directory(FileSystemPath(out));
      const CliRun merge = RunCli(
          {"merge", "--encoding", from, "--to", target, "--out", out, f.name, f.name}, dir.path());
      ASSERT_EQ(merge.exitCode, 0) << merge.err;
      const std::string stem = std::string(f.name).substr(0, std::string(f.name).find('.'));
      EXPECT_EQ(ReadBytes(out + "/" + stem + "已合并.txt"),
                expected.bytes + expected.bytes + std::string(BannerIn(to).view()));
    }
  }
}

#ifdef _WIN32
// Names as Windows alone treats them: "z." and "in." are their own names, not "z" and
// "in"; a device name is refused before anything is tried; title names shrink to what a
// deep folder leaves of the path instead of refusing the cut.
TEST_F(Cli, OnWindowsNamesAreTakenAsSpeltAndDevicesRefused) {
  const std::string text =
      GbkBytes("序\n第一章 " + std::string(30, 'a') + "\n正文\n第二章 乙\n正文\n");
  const Path dotted = dir.at("z.");
  ASSERT_TRUE(CreateDirectoryW(SystemPath(dotted).c_str(), nullptr));
  ASSERT_TRUE(WriteWholeFile(dir.at("in."), ByteBuffer(text)));
  WriteBytes(dir / "in", "plain");
  CliRun run = RunCli({"chapters", "--out", "z.", "in."}, dir.path());
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "2\n");
  EXPECT_EQ(ListFolder(dotted).size(), 3u);
  EXPECT_TRUE(FolderNames(out).empty());

  for (const char* prefix : {"NUL.", "con .", "Aux.x", "com7."}) {
    run = RunCli({"chapters", "--prefix", prefix, "--out", out, "in"}, dir.path());
    EXPECT_EQ(run.exitCode, 1) << prefix;
    EXPECT_NE(run.err.find("设备名"), std::string::npos) << run.err;
  }
  EXPECT_TRUE(FolderNames(out).empty());

  Path deep = PathFromUtf8(out);
  while (deep.native().size() < 230) {
    deep = JoinPath(deep, Path(std::wstring(40, L'f')));
    ASSERT_TRUE(CreateDirectoryW(SystemPath(deep).c_str(), nullptr));
  }
  WriteBytes(dir / "long.txt", text);
  run =
      RunCli({"chapters", "--names", "title", "--out", DisplayName(deep), "long.txt"}, dir.path());
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const std::vector<FolderEntry> written = ListFolder(deep);
  ASSERT_EQ(written.size(), 3u);
  EXPECT_TRUE(std::any_of(written.begin(), written.end(), [&](const FolderEntry& entry) {
    return JoinPath(deep, entry.name).native().size() > 260;
  }));

  RemoveFile(dir.at("in."));
  for (const FolderEntry& entry : ListFolder(dotted)) RemoveFile(JoinPath(dotted, entry.name));
  RemoveDirectoryW(SystemPath(dotted).c_str());
}
#endif

}  // namespace
}  // namespace morvane::testing
