// SPDX-License-Identifier: MIT
#include "engine/chapter_map.h"

#include <gtest/gtest.h>

#include "core/gbk.h"
#include "engine/chapter_cutting.h"
#include "engine/messages.h"
#include "handler_fixture.h"
#include "presenters/chapter_cutting.h"
#include "presenters/size_cutting.h"

namespace morvane::testing {
namespace {

std::u16string U16(std::string_view utf8) {
  TextDecoder decoder(Encoding::kUtf8);
  return decoder.Decode(utf8);
}

std::vector<std::int64_t> Offsets(const HeadingsOrError& found) {
  std::vector<std::int64_t> offsets;
  for (const Heading& heading : std::get<std::vector<Heading>>(found)) {
    offsets.push_back(heading.offset());
  }
  return offsets;
}

TEST(LinesRule, TellsHeadingsFromBodyText) {
  const std::pair<const char*, bool> cases[] = {
      {"第一章", true},
      {"　　第二章 风起云涌", true},
      {"\t第三章：开端", true},
      {"第五章标题", true},
      {"第 12 章", true},
      {"第两百章", true},
      {"第一〇二四章 终", true},
      {"第壹佰贰拾叁章", true},
      {"第１２章", true},
      {"第三节", true},
      {"第六回 下山", true},
      {"第一卷 天下", true},
      {"第二部", true},
      {"序章", true},
      {"序 开端", true},
      {"楔子", true},
      {"番外一 小事", true},
      {"后记", true},
      {"Chapter 12", true},
      {"chapter 3: Home", true},
      {"第六回合结束。", false},
      {"第一封信", false},
      {"第四本书", false},
      {"第九部队出发了。", false},
      {"第一是文章的名目", false},
      {"他说第十章写得好", false},
      {"第三节课", false},
      {"第二集中营", false},
      {"第一章就写到这里了。", false},
      {"序幕拉开", false},
      {"后记得他", false},
      {"第章", false},
      {"Chapters 3", false},
      {"第一章 这一行是正文里很长的一句话，长得远远超过了四十个字，所以它不是一个章节的标题",
       false},
  };
  for (const auto& [line, heading] : cases) {
    SCOPED_TRACE(line);
    EXPECT_EQ(IsHeadingLine(U16(line)), heading);
  }
}

TEST(ChapterNumber, ReadsEveryNumeralForm) {
  const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
      {"第一章", 1},
      {"第十章", 10},
      {"第十二章", 12},
      {"第二十章", 20},
      {"第一百零五章", 105},
      {"第一千零二十四章", 1024},
      {"第两百章", 200},
      {"第一〇二四章", 1024},
      {"第壹佰贰拾叁章", 123},
      {"第十万章", 100000},
      {"第一万二千三百章", 12300},
      {"第1024章 标题", 1024},
      {"第１２章", 12},
      {"第 7 回", 7},
      {"Chapter 42 The end", 42},
      {"第一是文章的名目", std::nullopt},
      {"序章", std::nullopt},
      {"第章", std::nullopt},
  };
  for (const auto& [title, number] : cases) {
    SCOPED_TRACE(title);
    EXPECT_EQ(ReadChapterNumber(U16(title)), number);
  }
}

// One text in several encodings: each rule finds the same headings, at the offsets of
// the text's own bytes.
TEST(ChapterRules, FindHeadingsInEveryEncoding) {
  // Segments of the text; the headings begin at the marked ones.
  const std::pair<const char*, bool> segments[] = {
      {"书名\r\n", false},     {"第一章 开端\r\n", true}, {"正文第一是文章的名目。\r\n", false},
      {"　　", false},         {"第二章\r\n", true},      {"第六回合结束。\r\n", false},
      {"番外 小事\r\n", true}, {"完\r\n", false},
  };
  struct Case {
    Encoding encoding;
    ChapterRule rule;
    std::vector<int> segments;  // the segments where headings begin
  };
  const ChapterRule lines{RuleKind::kLines, {}};
  const ChapterRule regex{RuleKind::kRegex, u"第.章"};
  const Case cases[] = {
      // near: 第一是文章 too; 第二章 after its indent.
      {Encoding::kGbk, ChapterRule{}, {1, 2, 4}},
      // lines: the indented line from its start.
      {Encoding::kGbk, lines, {1, 3, 6}},
      {Encoding::kGbk, regex, {1, 4}},
      {Encoding::kUtf8, lines, {1, 3, 6}},
      {Encoding::kUtf8, regex, {1, 4}},
      {Encoding::kGb18030, lines, {1, 3, 6}},
      {Encoding::kBig5, lines, {1, 3, 6}},
      {Encoding::kUtf16Le, lines, {1, 3, 6}},
      {Encoding::kUtf16Be, regex, {1, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(EncodingName(c.encoding)) + " " +
                 std::to_string(static_cast<int>(c.rule.kind)));
    TextDecoder decoder(c.encoding);
    std::string bytes;
    std::vector<std::int64_t> starts;
    for (const auto& [segment, unused] : segments) {
      starts.push_back(static_cast<std::int64_t>(bytes.size()));
      bytes += decoder.Encode(U16(segment));
    }
    std::vector<std::int64_t> expected;
    for (int segment : c.segments) expected.push_back(starts[static_cast<std::size_t>(segment)]);
    // The near rule's 第一是文章 lies four characters into its segment.
    if (c.rule.kind == RuleKind::kNear) expected[1] += 4;
    // UTF-16 holds zero bytes, which a text made from bytes would end at.
    const auto owner = std::make_shared<std::string>(bytes);
    const ByteText text = ByteText::Adopt(owner, owner->data(), owner->size());
    EXPECT_EQ(Offsets(FindHeadings(text, c.rule, c.encoding)), expected);
  }
}

// A malformed expression is told by what is wrong and where (in characters, or at its
// end); a search that backtracks without end gives up on its line, and any search stops
// when asked to. Nothing hangs.
TEST(ChapterRules, ExpressionsThatFailSayWhyAndWhere) {
  using Kind = RuleError::Kind;
  const std::string forty = std::string(40, 'a') + "!\n";
  struct Case {
    std::u16string pattern;
    std::string text;
    Kind kind;
    RegexProblem problem;
    int position;       // kPattern
    std::int64_t line;  // kGaveUp
  };
  const Case cases[] = {
      {u"第(.章", "", Kind::kPattern, RegexProblem::kMismatchedParen, 1, 0},
      {u"第(一(二)章", "", Kind::kPattern, RegexProblem::kMismatchedParen, 1, 0},
      {u"😀第.章)", "", Kind::kPattern, RegexProblem::kMismatchedParen, 4, 0},
      {u"[(]第)", "", Kind::kPattern, RegexProblem::kMismatchedParen, 4, 0},
      {u"", "", Kind::kPattern, RegexProblem::kEmpty, 0, 0},
      {u"第[一二章", "", Kind::kPattern, RegexProblem::kMissingBracket, 5, 0},
      {u"a{2,1}", "", Kind::kPattern, RegexProblem::kMaxBelowMin, 6, 0},
      {u"(?<=a+)b", "", Kind::kPattern, RegexProblem::kLookBehind, 7, 0},
      {u"(a+)+$", "第一章\n正文\n" + forty + forty, Kind::kGaveUp, RegexProblem::kTooSlow, 0, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text.size(), '.') + std::to_string(c.position));
    const auto found = FindHeadings(Gbk(c.text), {RuleKind::kRegex, c.pattern});
    ASSERT_TRUE(std::holds_alternative<RuleError>(found));
    const RuleError& error = std::get<RuleError>(found);
    EXPECT_EQ(error.kind, c.kind);
    EXPECT_EQ(error.problem, c.problem);
    EXPECT_EQ(error.position, c.position);
    EXPECT_EQ(error.line, c.line);
  }
  // A rule that retries from every character of a long line stays inside the bounds (a
  // line short enough to be searched well within the time a search may take, also under
  // the sanitizers on a busy machine).
  const ByteText longLine = Gbk(std::string(3000, 'x') + "\n第一章 开始\n");
  EXPECT_EQ(Offsets(FindHeadings(longLine, {RuleKind::kRegex, u".*第.*章"})),
            std::vector<std::int64_t>{3001});
  // Asked to stop, every rule stops, whatever it would have found.
  class Stopped final : public Progress {
   public:
    bool Advance(std::int64_t, std::int64_t) override { return false; }
    bool StopRequested() const override { return true; }
  } stopped;
  for (const ChapterRule& rule : {ChapterRule{}, ChapterRule{RuleKind::kLines, {}},
                                  ChapterRule{RuleKind::kRegex, u"(a+)+$"}}) {
    const auto found = FindHeadings(Gbk(forty + "第一章\n"), rule, Encoding::kGbk, &stopped);
    ASSERT_TRUE(std::holds_alternative<RuleError>(found));
    EXPECT_EQ(std::get<RuleError>(found).kind, Kind::kStopped);
  }
}

TEST(ChapterMap, NumbersTitlesAndFlags) {
  // Chapters of about 400 bytes, one of 3000 and two short ones; numbers 1 2 4 4 2 3 5 6
  // and 7, the last inside a line.
  const std::string body = std::string(398, 'x') + "\r\n";
  std::string text = GbkBytes("前言\r\n");
  const char* headings[] = {"第一章\r\n", "第二章\r\n", "第四章\r\n", "第四章\r\n",
                            "第二章\r\n", "第三章\r\n", "第五章\r\n", "　第六章 结束\r\n"};
  const std::string bodies[] = {body, body, body, body, std::string(2998, 'x') + "\r\n",
                                "",   body, body};
  for (std::size_t i = 0; i < std::size(headings); ++i) text += GbkBytes(headings[i]) + bodies[i];
  text += GbkBytes("x第七章 在行中");
  const ByteText gbk(text);
  const ChapterMap map =
      BuildChapterMap(gbk, std::get<std::vector<Heading>>(FindHeadings(gbk, ChapterRule{})));
  const char* flags[] = {"",      "",    "gap", "repeat",      "restart,long",
                         "short", "gap", "",    "short,inline"};
  ASSERT_EQ(map.size(), std::size(flags));
  for (std::size_t i = 0; i < map.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(FlagNames(map.entries[i].flags()), flags[i]);
  }
  EXPECT_EQ(map.entries[0].offset(), 6);
  EXPECT_EQ(map.Length(0), 8 + 400);
  EXPECT_EQ(map.Title(7), U16("第六章 结束"));
  EXPECT_EQ(map.entries[7].number(), 6);
  EXPECT_EQ(map.Title(8), U16("第七章 在行中"));
}

// Titles are read from the text when they are shown: the line from the heading on,
// trimmed, 60 characters at most, whatever the blanks before them and the encoding;
// names keep the control characters, to replace them.
TEST(ChapterMap, TitlesAreReadFromTheText) {
  const std::string a70(70, 'a');
  const std::string blanks(300, ' ');
  struct Case {
    std::string text;
    Encoding encoding;
    std::string title;
  };
  const Case cases[] = {
      {GbkBytes("第一章\t") + a70 + "\r\n", Encoding::kGbk, "第一章 " + std::string(56, 'a')},
      {GbkBytes("第一章") + blanks + "x" + a70, Encoding::kGbk, "第一章" + std::string(57, ' ')},
      {blanks + GbkBytes("第一章 结束") + a70, Encoding::kGbk,
       "第一章 结束" + std::string(54, 'a')},
      {"第一章 " + std::string(100, '\x20') + "终\n", Encoding::kUtf8,
       "第一章" + std::string(57, ' ')},
      {"　第二章\t结束\r\n", Encoding::kUtf8, "第二章 结束"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    const ChapterMap map = BuildChapterMap(ByteText(c.text), {Heading(0, true)}, c.encoding);
    EXPECT_EQ(map.Title(0), U16(c.title));
  }
  const ChapterMap map = BuildChapterMap(ByteText("\xB5\xDA"
                                                  "1\xD5\xC2\ta\x01"
                                                  "b\n"),
                                         {Heading()});
  EXPECT_EQ(map.Title(0), U16("第1章 a b"));
  EXPECT_EQ(map.NameTitle(0), U16("第1章\ta\x01"
                                  "b"));
  EXPECT_EQ(map.entries[0].number(), 1);
  EXPECT_EQ(sizeof(ChapterEntry), 16u);
  EXPECT_EQ(sizeof(Heading), 8u);
}

TEST(ChapterFiles, SkipsGroupsAndNames) {
  // Four chapters at 10, 20, 30, 40 of a 50-byte text.
  ChapterPlan plan;
  std::string text = std::string(9, 'x') + "\n";
  for (int i = 1; i <= 4; ++i) text += GbkBytes("第" + std::to_string(i) + "章 a/b\n");
  plan.map = BuildChapterMap(ByteText(text), std::get<std::vector<Heading>>(FindHeadings(
                                                 ByteText(text), {RuleKind::kLines, {}})));
  ASSERT_EQ(plan.map.size(), 4u);
  struct Case {
    ChapterChoice choice;
    std::vector<std::tuple<int, int, std::string>> files;
  };
  const Case cases[] = {
      {{},
       {{0, 10, "P-0.txt"},
        {10, 20, "P-1.txt"},
        {20, 30, "P-2.txt"},
        {30, 40, "P-3.txt"},
        {40, 50, "P-4.txt"}}},
      {{{true, false, true, true}, 1, NameStyle::kNumber},
       {{0, 10, "P-0.txt"}, {10, 30, "P-1.txt"}, {30, 40, "P-2.txt"}, {40, 50, "P-3.txt"}}},
      {{{false, true, true, true}, 2, NameStyle::kTitle},
       {{0, 20, "P-0000.txt"}, {20, 40, "P-0001 第2章 a_b.txt"}, {40, 50, "P-0002 第4章 a_b.txt"}}},
      {{{false, false, false, false}, 1, NameStyle::kTitle}, {{0, 50, "P-0000.txt"}}},
  };
  for (const Case& c : cases) {
    plan.choice = c.choice;
    std::vector<std::tuple<int, int, std::string>> files;
    const ChapterFiles planned(plan, Path("P"), 255);
    for (std::size_t k = 0; k < planned.size(); ++k) {
      files.emplace_back(planned.Begin(k), planned.End(k), planned.Name(k).native());
    }
    EXPECT_EQ(files, c.files);
  }
}

TEST(ChapterFiles, TitleNamesFitTheFileSystem) {
  const std::u16string title = U16("第一章 " + std::string(60, 'z'));
  // Cut on a character, no blank left before the extension.
  EXPECT_EQ(TitleFileName(Path("P"), 1, 4, title, 21).native(), "P-0001 第一章.txt");
  // Names are UTF-8: a character GBK lacks is kept, a byte that is no character is not.
  EXPECT_EQ(TitleFileName(Path("P"), 1, 4, U16("a😀b"), 255).native(), "P-0001 a😀b.txt");
  EXPECT_EQ(TitleFileName(Path("\xB5"), 1, 4, u"a\uF780b", 255).native(), "\xB5-0001 a_b.txt");
  // Control characters and the controls that turn the text's direction around.
  EXPECT_EQ(TitleFileName(Path("P"), 1, 4, u"a\tb\x7F\x85\u202Eexe.txt\u2066c\u2069", 255).native(),
            "P-0001 a_b___exe.txt_c_.txt");
}

TEST(IndexList, ReadsNumbersAndRanges) {
  using Problem = IndexList::Problem;
  const std::tuple<const char*, std::vector<int>, Problem> cases[] = {
      {"3", {3}, Problem::kNone},          {"3,5-7", {3, 5, 6, 7}, Problem::kNone},
      {"7-7,1,1", {1, 7}, Problem::kNone}, {"", {}, Problem::kNone},
      {"0", {}, Problem::kMalformed},      {"8", {}, Problem::kMalformed},
      {"1,", {}, Problem::kMalformed},     {"a", {}, Problem::kMalformed},
      {"1-", {}, Problem::kMalformed},     {"2,5-3", {}, Problem::kReversed},
  };
  for (const auto& [list, indices, problem] : cases) {
    SCOPED_TRACE(list);
    const IndexList read = ParseIndexList(list, 7);
    EXPECT_EQ(read.indices, indices);
    EXPECT_EQ(read.problem, problem);
  }
  const IndexList reversed = ParseIndexList("2,5-3", 7);
  EXPECT_EQ(reversed.item, "5-3");
  EXPECT_EQ(std::pair(reversed.first, reversed.last), std::pair(5, 3));
}

// The novella: nine headings "第一章　序" .. "第九章大团圆".
TEST(ChapterMap, TheNovellaUnderEachRule) {
  const auto bytes = ReadBytes(std::string(MORVANE_TEST_DATA_DIR) + "/a-q-zhengzhuan.gbk.txt");
  ASSERT_TRUE(bytes) << "tests/data/a-q-zhengzhuan.gbk.txt is missing";
  const ByteText text(*bytes);
  const auto lines = FindHeadings(text, {RuleKind::kLines, {}});
  const ChapterMap map = BuildChapterMap(text, std::get<std::vector<Heading>>(lines));
  ASSERT_EQ(map.size(), 9u);
  for (std::size_t i = 0; i < 9; ++i) {
    EXPECT_EQ(map.entries[i].number(), static_cast<std::int64_t>(i + 1));
    EXPECT_EQ(map.entries[i].flags() & (kGap | kRepeat | kRestart | kInline), 0u);
  }
  EXPECT_EQ(map.Title(8), U16("第九章大团圆"));
  // The written rule also takes 第…章 pairs inside lines: each such one is flagged.
  const ChapterMap near =
      BuildChapterMap(text, std::get<std::vector<Heading>>(FindHeadings(text, ChapterRule{})));
  EXPECT_GT(near.size(), 9u);
  for (const ChapterEntry& entry : near.entries) {
    if (!entry.number()) {
      EXPECT_NE(entry.flags() & kInline, 0u) << entry.offset();
    }
  }
}

class ChapterPlanHandlers : public HandlerTest {};

TEST_F(ChapterPlanHandlers, TheCutWritesTheConfirmedMap) {
  ui.ChooseFile(names::kNormalDialog,
                PutInput("book.txt", GbkBytes("书名\n第一章 甲\n乙\n第二章 丙\n")));
  OpenForNormalCut(ui, state);
  ChapterSearch(ui, state);
  ui.TakeMessages();
  ui.SetText(names::kPrefixBox, ByteText("P"));
  auto plan = std::make_shared<ChapterPlan>();
  plan->map = BuildChapterMap(
      state.cut.normalText,
      std::get<std::vector<Heading>>(FindHeadings(state.cut.normalText, {RuleKind::kLines, {}})));
  plan->choice = {{true, false}, 1, NameStyle::kTitle};
  state.chapterPlan = plan;
  ChapterCut(ui, state);
  EXPECT_EQ(ui.TakeMessages().size(), 2u);  // the count, then done
  EXPECT_EQ(FolderNames(out.path()),
            (std::vector<std::string>{"P-0000.txt", "P-0001 第一章 甲.txt"}));
  EXPECT_EQ(Output("P-0001 第一章 甲.txt"), WithBanner(GbkBytes("第一章 甲\n乙\n第二章 丙\n")));
  // The corrected map stays for a book or another cut, until another file is opened.
  EXPECT_EQ(state.chapterPlan, plan);
  EXPECT_EQ(state.chapterSearchDone, 1);
}

}  // namespace
}  // namespace morvane::testing
