// SPDX-License-Identifier: MIT
// The automatic rule and chapter maps read back from a file.

#include "engine/chapter_auto.h"

#include <gtest/gtest.h>

#include <memory>

#include "engine/chapter_map.h"
#include "engine/map_file.h"
#include "test_files.h"

namespace morvane::testing {
namespace {

// A text of lines in an encoding, and where each line begins.
struct Lines {
  ByteText text;
  std::vector<std::int64_t> starts;
};

Lines Encoded(const std::vector<std::string>& lines, Encoding encoding) {
  TextDecoder decoder(encoding);
  auto bytes = std::make_shared<std::string>();
  Lines made;
  for (const std::string& line : lines) {
    made.starts.push_back(static_cast<std::int64_t>(bytes->size()));
    *bytes += decoder.Encode(TextDecoder(Encoding::kUtf8).Decode(line + "\r\n"));
  }
  // UTF-16 holds zero bytes, which a text made from bytes would end at.
  made.text = ByteText::Adopt(bytes, bytes->data(), bytes->size());
  return made;
}

std::string Body(int n) {
  return "　　他走了很远的路，天色渐渐暗了，过了" + std::to_string(n) + "天才到城里。";
}

TEST(AutoRule, FindsChaptersNotHeadings) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    std::vector<int> chapters;  // the lines where chapters begin
    std::vector<int> volumes;   // the volume lines
  };
  const Case cases[] = {
      {"web",
       {"书名",
        "第一卷 风起",
        "",
        "第1章 开端",
        "",
        "第1章 开端",
        Body(1),
        "第三天，他来了。",
        "（本章完）",
        "第2章 再会",
        "再会",
        Body(2),
        "第九部队",
        "第一是文章的名目",
        "第十二章程序繁琐",
        "第3章 离别",
        Body(3),
        "第二卷",
        "第4章 归来",
        Body(4),
        "第5章 终",
        Body(5)},
       {1, 9, 15, 17, 20},
       {1, 17}},
      {"回",
       {"书名", "第一回 甲", Body(1), "第二回 乙", Body(2), "第三回 丙", Body(3)},
       {1, 3, 5},
       {}},
      {"numbered",
       {"1、开端", Body(1), "100 块钱", "2、再会", Body(2), "3、离别", Body(3), "4、归来", Body(4)},
       {0, 3, 5, 7},
       {}},
      {"padded", {"001 甲", Body(1), "002 乙", Body(2), "003 丙", Body(3)}, {0, 2, 4}, {}},
      {"brackets",
       {"【第一章 甲】", Body(1), "【第二章 乙】", Body(2), "【第三章 丙】", Body(3)},
       {0, 2, 4},
       {}},
      {"话 and named parts",
       {"楔子", Body(0), "第1话 甲", Body(1), "第2话 乙", "第一话题", Body(2), "第3话 丙", Body(3),
        "完本感言", Body(4)},
       {0, 2, 4, 7, 9},
       {}},
      {"sections under chapters",
       {"第一章 甲", "第一节", Body(1), "第二节", Body(1), "第二章 乙", "第一节", Body(2), "第二节",
        Body(2), "第三章 丙", "第一节", Body(3), "第二节", Body(3)},
       {0, 5, 10},
       {}},
      {"a table of contents at the front",
       {"目录", "第一章 甲", "第二章 乙", "第三章 丙", "", "第一章 甲", Body(1), "第二章 乙",
        Body(2), "第三章 丙", Body(3)},
       {5, 7, 9},
       {}},
      {"a table of contents with volumes, after a preface",
       {"前言", Body(0), "目录", "第一卷 风", "第一章 甲", "第二章 乙", "第二卷 云", "第三章 丙",
        "", "第一卷 风", "第一章 甲", Body(1), "第二章 乙", Body(2), "第二卷 云", "第三章 丙",
        Body(3)},
       {0, 9, 12, 14},
       {9, 14}},
      {"empty chapters after the first are chapters",
       {"第一章 甲", Body(1), "第二章 乙", "第三章 丙", "第四章 丁", Body(4)},
       {0, 2, 3, 4},
       {}},
      {"headings inside lines: the written rule",
       {"第一章 甲。" + Body(1) + "第二章 乙。" + Body(2) + "第三章 丙。" + Body(3)},
       {0},
       {}},
  };
  for (const Encoding encoding : {Encoding::kGbk, Encoding::kUtf8, Encoding::kUtf16Le}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + " " + std::string(EncodingName(encoding)));
      const Lines book = Encoded(c.lines, encoding);
      const FoundChapters found = FindChaptersAutomatically(book.text, encoding);
      std::vector<std::int64_t> expected;
      for (int line : c.chapters) expected.push_back(book.starts[static_cast<std::size_t>(line)]);
      std::vector<std::int64_t> offsets;
      for (const Heading& heading : found.headings) offsets.push_back(heading.offset());
      if (c.lines.size() == 1) {
        // The written rule: three headings in the one line.
        EXPECT_EQ(offsets.size(), 3u);
        continue;
      }
      EXPECT_EQ(offsets, expected);
      std::vector<std::int64_t> volumes;
      for (const Volume& volume : found.volumes) volumes.push_back(volume.offset);
      std::vector<std::int64_t> expectedVolumes;
      for (int line : c.volumes) {
        expectedVolumes.push_back(book.starts[static_cast<std::size_t>(line)]);
      }
      EXPECT_EQ(volumes, expectedVolumes);
    }
  }
}

// The written rule takes every heading-like line; its map leaves the table of contents at
// the front uncut all the same.
TEST(WrittenRule, TheMapLeavesATableOfContentsUncut) {
  for (const Encoding encoding : {Encoding::kGbk, Encoding::kUtf16Le}) {
    const Lines book = Encoded({"目录", "第一章 甲", "第二章 乙", "第三章 丙", "", "第一章 甲",
                                Body(1), "第二章 乙", Body(2), "第三章 丙", Body(3)},
                               encoding);
    const auto map = std::get<ChapterMap>(MapOf(book.text, ChapterRule{}, encoding));
    std::vector<std::int64_t> offsets;
    for (const ChapterEntry& entry : map.entries) offsets.push_back(entry.offset());
    EXPECT_EQ(offsets, (std::vector<std::int64_t>{book.starts[5], book.starts[7], book.starts[9]}))
        << EncodingName(encoding);
  }
}

TEST(AutoRule, TheMapShowsVolumesAndReadsTitlesPastThem) {
  const Lines book = Encoded({"第一卷 风起", "第1章 开端", Body(1), "第2章 再会", Body(2),
                              "第二卷 云涌", "第3章 离别", Body(3), "尾声 归来", Body(4)},
                             Encoding::kGbk);
  auto map = MapOf(book.text, {RuleKind::kAuto, {}}, Encoding::kGbk);
  const ChapterMap& chapters = std::get<ChapterMap>(map);
  ASSERT_EQ(chapters.size(), 4u);
  // Back matter is the book's, as in its contents: no volume in the map or its lines.
  EXPECT_EQ(chapters.VolumeTitle(3), u"");
  EXPECT_TRUE(MapLines(chapters).ends_with("尾声 归来\t\t\n")) << MapLines(chapters);
  EXPECT_EQ(chapters.Title(0), u"第1章 开端");
  EXPECT_EQ(chapters.entries[0].number(), 1);
  EXPECT_EQ(chapters.entries[2].flags(), 0u);  // 3 after 2, the volume's 2 not read
  EXPECT_EQ(chapters.VolumeTitle(1), u"第一卷 风起");
  EXPECT_EQ(chapters.VolumeTitle(2), u"第二卷 云涌");
  ChapterPlan plan{chapters, {{}, 1, NameStyle::kVolume}, {}};
  const ChapterFiles files(plan, Path("P"), 255);
  EXPECT_EQ(files.Name(1).native(), "P-0001 第一卷 风起 第1章 开端.txt");
  // Volumes come back from the map's lines.
  const std::string lines = MapLines(chapters);
  const auto read = ReadMapFile(lines, book.text, Encoding::kGbk);
  ASSERT_TRUE(std::holds_alternative<ChapterMap>(read));
  EXPECT_EQ(std::get<ChapterMap>(read).volumes, chapters.volumes);
  EXPECT_EQ(MapLines(std::get<ChapterMap>(read)), lines);
}

// The window's corrections of a map with volumes: a heading never goes where a chapter or
// the heading its volume line opens begins, given titles follow their chapters, and what
// is kept of the map reads back from its lines.
TEST(MapEdits, KeepTitlesWithTheirChaptersAndVolumesReadable) {
  const Lines book = Encoded({"第一卷 风起", "第1章 开端", Body(1), "第2章 再会", Body(2),
                              "第二卷 云涌", "第3章 离别", Body(3)},
                             Encoding::kGbk);
  ChapterMap map = std::get<ChapterMap>(MapOf(book.text, {RuleKind::kAuto, {}}, Encoding::kGbk));
  ASSERT_EQ(map.size(), 3u);
  for (const int line : {0, 1, 3, 5, 6})
    EXPECT_EQ(AddHeading(map, book.starts[line]), std::nullopt);
  SetTitle(map, 2, u"离别之章");
  EXPECT_EQ(AddHeading(map, book.starts[2]), 1u);
  EXPECT_EQ(map.Title(1), u"他走了很远的路，天色渐渐暗了，过了1天才到城里。");
  EXPECT_EQ(map.Title(3), u"离别之章");
  RemoveHeading(map, 1);
  EXPECT_EQ(map.Title(2), u"离别之章");
  SetTitle(map, 2, u"第3章 离别");  // the text's own again
  EXPECT_TRUE(map.titles.empty());

  // The second volume's chapter left out: its volume goes with it.
  SetTitle(map, 0, u"开篇");
  const ChapterMap kept = KeptChapters(map, {true, true, false});
  EXPECT_EQ(kept.volumes.size(), 1u);
  const std::string lines = MapLines(kept);
  const auto read = ReadMapFile(lines, book.text, Encoding::kGbk);
  ASSERT_TRUE(std::holds_alternative<ChapterMap>(read));
  EXPECT_EQ(MapLines(std::get<ChapterMap>(read)), lines);
  EXPECT_EQ(std::get<ChapterMap>(read).Title(0), u"开篇");
}

// A map file edited as a user would: the files follow the edited rows.
TEST(MapFile, CutsWhatTheEditedMapShows) {
  const Lines book = Encoded(
      {"前言", "第一章 甲", Body(1), "第二章 乙", Body(2), "第三章 丙", Body(3), "附", Body(4)},
      Encoding::kUtf8);
  const ChapterMap original =
      std::get<ChapterMap>(MapOf(book.text, {RuleKind::kLines, {}}, Encoding::kUtf8));
  ASSERT_EQ(original.size(), 4u);
  const std::string lines = MapLines(original);
  // The map reads back as itself.
  const auto same = ReadMapFile(lines, book.text, Encoding::kUtf8);
  ASSERT_TRUE(std::holds_alternative<ChapterMap>(same));
  EXPECT_EQ(MapLines(std::get<ChapterMap>(same)), lines);

  const auto row = [&](int i) {
    std::size_t begin = 0;
    for (int k = 1; k < i; ++k) begin = lines.find('\n', begin) + 1;
    return lines.substr(begin, lines.find('\n', begin) + 1 - begin);
  };
  const std::string added = "\t" + std::to_string(book.starts[7]) + "\n";
  struct Case {
    const char* edit;
    std::string file;
    std::vector<std::int64_t> begins;
    std::u16string firstTitle;
  };
  const Case cases[] = {
      {"row deleted",
       row(1) + row(3) + row(4),
       {0, book.starts[0], book.starts[3], book.starts[5]},
       u"前言"},
      {"title changed",
       "1\t0\t\t\t开篇\t\t\n" + row(2) + row(3) + row(4),
       {0, book.starts[0], book.starts[1], book.starts[3], book.starts[5]},
       u"开篇"},
      {"row added by offset",
       row(1) + row(2) + row(3) + row(4) + added,
       {0, book.starts[0], book.starts[1], book.starts[3], book.starts[5], book.starts[7]},
       u"前言"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.edit);
    const auto read = ReadMapFile(c.file, book.text, Encoding::kUtf8);
    ASSERT_TRUE(std::holds_alternative<ChapterMap>(read));
    const ChapterPlan plan{std::get<ChapterMap>(read), {{}, 1, NameStyle::kTitle}, {}};
    const ChapterFiles files(plan, Path("P"), 255);
    std::vector<std::int64_t> begins;
    for (std::size_t k = 0; k < files.size(); ++k) begins.push_back(files.Begin(k));
    EXPECT_EQ(begins, c.begins);
    EXPECT_EQ(plan.map.Title(0), c.firstTitle);
  }
}

TEST(MapFile, RefusesAMalformedMapWithItsLine) {
  const Lines book = Encoded({"第一章 甲", "正文", "第二章 乙", "正文"}, Encoding::kGbk);
  using Problem = MapFileError::Problem;
  const std::string second = std::to_string(book.starts[2]);
  const std::pair<std::string, MapFileError> cases[] = {
      {"1\t0\n\n2\tx\n", {3, Problem::kColumns}},
      {"\t0\t\t\t\tgap,odd\n", {1, Problem::kColumns}},
      {"1\t0\t\t\t\t\t\t\n", {1, Problem::kColumns}},
      {"1\t" + second + "\n2\t0\n", {2, Problem::kNotAscending}},
      {"1\t1\n", {1, Problem::kNotBoundary}},  // inside 第
      {"1\t99999\n", {1, Problem::kBeyondText}},
      {"1\t0\t\t\t\t\t第九卷\n", {1, Problem::kVolume}},
  };
  for (const auto& [file, error] : cases) {
    SCOPED_TRACE(file);
    const auto read = ReadMapFile(file, book.text, Encoding::kGbk);
    ASSERT_TRUE(std::holds_alternative<MapFileError>(read));
    EXPECT_EQ(std::get<MapFileError>(read).line, error.line);
    EXPECT_EQ(std::get<MapFileError>(read).problem, error.problem);
  }
}

// The file as saved by an editor: UTF-16 either way round, with or without its mark, is
// read; an empty file and one that is no text are refused, never taken for an empty map.
TEST(MapFile, TellsEncodingsFromFilesThatAreNoMap) {
  const Lines book = Encoded({"第一章 甲", "正文", "第二章 乙", "正文"}, Encoding::kUtf8);
  const std::string rows = "1\t0\t\t\t开篇\n2\t" + std::to_string(book.starts[2]) + "\n";
  const auto utf16 = [&](bool littleEnd, bool mark, const std::string& lines = {}) {
    std::string bytes = mark ? (littleEnd ? "\xFF\xFE" : "\xFE\xFF") : "";
    const std::u16string units = TextDecoder(Encoding::kUtf8).Decode(lines.empty() ? rows : lines);
    for (const char16_t unit : units) {
      const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
      bytes += littleEnd ? std::string{low, high} : std::string{high, low};
    }
    return bytes;
  };
  using Problem = MapFileError::Problem;
  struct Case {
    const char* name;
    std::string bytes;
    std::optional<Problem> refused;
    std::size_t size = 2;
  };
  const Case cases[] = {
      {"UTF-16LE with its mark", utf16(true, true), {}},
      {"UTF-16LE without a mark", utf16(true, false), {}},
      {"UTF-16BE with its mark", utf16(false, true), {}},
      {"UTF-16LE without a mark, one row", utf16(true, false, "1\t0\t\t\t开篇\n"), {}, 1},
      {"UTF-8 with its mark", "\xEF\xBB\xBF" + rows, {}},
      {"empty", "", Problem::kEmpty},
      {"blank lines only", "\r\n  \n\t\n", Problem::kEmpty},
      {"an image", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\0\x10", 20), Problem::kBinary},
      {"control characters", "1\t0\x1B[2J\n", Problem::kBinary},
      {"no such file", "", Problem::kCannotRead},
  };
  ScratchFolder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder / c.name;
    if (c.refused != Problem::kCannotRead) WriteBytes(path, c.bytes);
    const auto read = ReadMapFileAt(PathFromUtf8(path), book.text, Encoding::kUtf8);
    if (c.refused) {
      ASSERT_TRUE(std::holds_alternative<MapFileError>(read));
      EXPECT_EQ(std::get<MapFileError>(read).problem, *c.refused);
      continue;
    }
    ASSERT_TRUE(std::holds_alternative<ChapterMap>(read));
    EXPECT_EQ(std::get<ChapterMap>(read).size(), c.size);
    EXPECT_EQ(std::get<ChapterMap>(read).Title(0), u"开篇");
  }
}

}  // namespace
}  // namespace morvane::testing
