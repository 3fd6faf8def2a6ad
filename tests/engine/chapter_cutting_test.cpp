// SPDX-License-Identifier: MIT
#include "engine/chapter_cutting.h"

#include <gtest/gtest.h>

#include <random>

#include "core/files.h"
#include "core/gbk.h"
#include "engine/chapter_rules.h"
#include "engine/messages.h"
#include "fuzz/reference.h"
#include "handler_fixture.h"
#include "presenters/chapter_cutting.h"
#include "presenters/size_cutting.h"

namespace morvane::testing {
namespace {

// Every occurrence of marker found by FindText, each search starting right after the
// whole marker found before.
std::vector<int> ReferenceMarkers(const ByteText& text, const ByteText& marker) {
  std::vector<int> found;
  for (int at = FindText(text, marker, 1); at != -1; at = FindText(text, marker, at + 2)) {
    found.push_back(at);
  }
  return found;
}

// The cut with LeftText and RightText on what is left, for any positions at all.
std::vector<std::string> ReferenceChapterTexts(const ByteText& text, std::vector<int> starts) {
  const int length = TextLength(text);
  starts.push_back(length + 1);
  std::vector<std::string> pieces;
  int prev = 1;
  ByteText rest = text;
  for (int cur : starts) {
    pieces.emplace_back(LeftText(rest, cur - prev).view());
    rest = RightText(rest, length - cur + 1);
    prev = cur;
  }
  return pieces;
}

std::vector<std::string> Strings(const std::vector<ByteText>& pieces) {
  std::vector<std::string> out;
  for (const ByteText& piece : pieces) out.emplace_back(piece.view());
  return out;
}

TEST(ChapterSearch, FindsHeadingsByTheSixteenByteRule) {
  struct Case {
    const char* text;
    std::vector<int> starts;
  };
  const Case cases[] = {
      {"第一章第二章", {1, 7}},  // back to back: both found
      {"第一章\r\n第二章", {1, 9}},
      {"第一千二百三十四章", {1}},                  // "章" 16 bytes after "第"
      {"第一千二百三十四五章", {}},                 // 18 bytes: too far
      {"文章\r\n第一章", {7}},                      // a "章" before every "第" is passed over
      {"第一节，这里是一些文字\r\n第二章", {25}},   // a "第" without "章" starts nothing
      {"第一章\r\n正文第二次\r\n第二章", {1, 13}},  // the earliest unpaired "第" wins
      {"第一章正文，文章，章", {1}},                // "章" after the last "第" end the walk
      {"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FindChapterStarts(Gbk(c.text)), c.starts);
  }
}

// Large GBK texts are searched in two halves side by side, split after a line feed that no
// "第" of the first half can reach across; each text here puts that seam to a test.
TEST(ChapterSearch, TwoHalvesFindWhatTheReferenceFinds) {
  const std::size_t size = 9u << 20;
  auto random = [](std::uint32_t seed) {
    std::mt19937 generator(seed);
    const std::string tokens[] = {GbkBytes("第"),     GbkBytes("章"), GbkBytes("一"), "a", "\r\n",
                                  GbkBytes("第一章"), "\xB5",         GbkBytes("文")};
    std::string text;
    while (text.size() < size) text += tokens[generator() % std::size(tokens)];
    return text;
  };
  struct Case {
    const char* what;
    std::string text;
  };
  std::string noLineBreakNearTheMiddle = random(2);
  for (std::size_t i = size / 2 - 1000; i < size / 2 + (5u << 20) && i < size; ++i) {
    if (noLineBreakNearTheMiddle[i] == '\n') noLineBreakNearTheMiddle[i] = 'a';
  }
  std::string headingsEverywhere;
  while (headingsEverywhere.size() < size / 2) headingsEverywhere += GbkBytes("第章");
  headingsEverywhere += std::string(20, 'a') + "\n";
  while (headingsEverywhere.size() < size) headingsEverywhere += GbkBytes("第章");
  std::string acrossTheFirstLineBreak = random(3);
  const std::string planted = "aaaa" + GbkBytes("第") + "\r\n" + GbkBytes("章");
  acrossTheFirstLineBreak.replace(size / 2, planted.size(), planted);
  const Case cases[] = {
      {"markers and line breaks at random", random(1)},
      {"a heading across the first line break after the middle", acrossTheFirstLineBreak},
      {"no seam to be had", noLineBreakNearTheMiddle},
      {"more headings than the second half keeps", headingsEverywhere},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto markers = reference::ChapterMarkers(c.text);
    EXPECT_TRUE(FindChapterStarts(ByteText(c.text)) ==
                reference::PairHeadings(markers.ordinals, markers.chapters));
  }
}

TEST(ChapterSearch, AMarkerStraddlingTwoCharactersIsNoMarker) {
  // A1 B5 | DA A1: the bytes of "第" across two characters.
  const ByteText text = Concat({ByteText("\xA1\xB5\xDA\xA1"), Gbk("一章")});
  EXPECT_TRUE(FindChapterMarkers(text).ordinals.empty());
  EXPECT_TRUE(FindChapterStarts(text).empty());
  // After a one-byte character the stepping is back in line.
  EXPECT_EQ(FindChapterStarts(Concat({ByteText("\xA1\xB5"
                                               "a"),
                                      Gbk("第一章")})),
            std::vector<int>{4});
}

TEST(ChapterSearch, MarkersAgreeWithFindTextOnRandomText) {
  std::mt19937 random(11);
  const unsigned char alphabet[] = {0xB5, 0xDA, 0xD5, 0xC2, 0x41, 0x0A, 0x81, 0x40, 0xFF, 0x80};
  const ByteText ordinal("\xB5\xDA");
  const ByteText chapter("\xD5\xC2");
  for (int round = 0; round < 4000; ++round) {
    // Up to several 64-byte blocks, with runs of high bytes long enough to cross them.
    std::string bytes(random() % 400, ' ');
    const std::size_t spread = 2 + random() % (std::size(alphabet) - 2);
    for (char& c : bytes) c = static_cast<char>(alphabet[random() % spread]);
    const ByteText text(bytes);
    SCOPED_TRACE(::testing::PrintToString(bytes));
    const ChapterMarkers markers = FindChapterMarkers(text);
    ASSERT_EQ(markers.ordinals, ReferenceMarkers(text, ordinal));
    ASSERT_EQ(markers.chapters, ReferenceMarkers(text, chapter));
  }
}

TEST(ChapterTexts, CutsAtAnyPositionsAsTheStepwiseCutDoes) {
  const ByteText text(std::string("0123456789abcdef"));
  const std::vector<std::vector<int>> positions = {{},         {1},     {5, 9}, {1, 17}, {9, 5},
                                                   {3, 3, 40}, {-4, 2}, {20},   {16, 17}};
  for (const auto& starts : positions) {
    SCOPED_TRACE(::testing::PrintToString(starts));
    EXPECT_EQ(Strings(ChapterTexts(text, starts)), ReferenceChapterTexts(text, starts));
  }
  EXPECT_EQ(Strings(ChapterTexts(ByteText(), {})), std::vector<std::string>{""});
}

class ChapterHandlers : public HandlerTest {
 protected:
  void Open(std::string_view utf8Text) {
    ui.ChooseFile(names::kNormalDialog, PutInput("book.txt", GbkBytes(utf8Text)));
    OpenForNormalCut(ui, state);
  }
};

TEST_F(ChapterHandlers, SearchThenCutWritesOneFilePerChapter) {
  Open("前言第一章甲第二章乙");
  ChapterSearch(ui, state);
  auto found = OnlyMessage();
  EXPECT_EQ(found.content, "已搜寻到2章");
  EXPECT_EQ(found.caption, "章节搜寻提示");
  EXPECT_EQ(state.chapterSearchDone, 1);

  ChapterCut(ui, state);
  auto shown = ui.TakeMessages();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].content, "3");
  EXPECT_EQ(shown[1].content, messages::ChapterCutFinished());
  EXPECT_EQ(FolderNames(out.path()),
            (std::vector<std::string>{"book-0.txt", "book-1.txt", "book-2.txt"}));
  EXPECT_EQ(Output("book-0.txt"), WithBanner(GbkBytes("前言")));
  EXPECT_EQ(Output("book-1.txt"), WithBanner(GbkBytes("第一章甲")));
  EXPECT_EQ(Output("book-2.txt"), WithBanner(GbkBytes("第二章乙")));

  // The search stays with the opened file: a second cut writes the same files.
  EXPECT_EQ(state.chapterSearchDone, 1);
  ChapterCut(ui, state);
  EXPECT_EQ(ui.TakeMessages().back().content, messages::ChapterCutFinished());
  EXPECT_EQ(Output("book-2.txt"), WithBanner(GbkBytes("第二章乙")));
}

// What the search says: the headings it counts (a table of contents at the front is none of
// them), and, when they look wrong, what the automatic rule finds, as the chapter-map window
// offers it.
TEST_F(ChapterHandlers, TheSearchCountsChaptersAndDoubtsWhatLooksWrong) {
  const std::string body = "他翻开那本旧书，读了很久很久。\n";
  const struct {
    std::string text;
    std::string said;
  } cases[] = {
      {"前言\n第一回 甲\n乙乙乙\n第二回 丙\n丁丁丁\n第三回 戊\n己己己\n",
       "已搜寻到0章\r\n智能识别可找到4章，可在章节目录中点击“改用智能”"},  // 前言 too
      {"目录\n第一章 甲\n第二章 乙\n第三章 丙\n\n第一章 甲\n" + body + "第二章 乙\n" + body +
           "第三章 丙\n" + body,
       "已搜寻到3章"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.said);
    Open(c.text);
    ChapterSearch(ui, state);
    EXPECT_EQ(OnlyMessage().content, c.said);
  }
  // The cut leaves the table of contents in the text before the first chapter.
  ChapterCut(ui, state);
  ui.TakeMessages();
  EXPECT_EQ(Output("book-0.txt"),
            WithBanner(GbkBytes("目录\n第一章 甲\n第二章 乙\n第三章 丙\n\n")));
}

TEST_F(ChapterHandlers, NoHeadingGivesTheWholeTextInFileZero) {
  Open("没有标题的文字");
  ChapterSearch(ui, state);
  EXPECT_EQ(OnlyMessage().content, "已搜寻到0章");
  // The path box is not looked at by the cut.
  ui.SetText(names::kNormalPathBox, ByteText());
  ChapterCut(ui, state);
  EXPECT_EQ(ui.TakeMessages().size(), 2u);
  EXPECT_EQ(FolderNames(out.path()), std::vector<std::string>{"book-0.txt"});
  EXPECT_EQ(Output("book-0.txt"), WithBanner(GbkBytes("没有标题的文字")));
}

TEST_F(ChapterHandlers, TheSearchNeedsAnOpenedFile) {
  ChapterSearch(ui, state);
  EXPECT_EQ(OnlyMessage().content, messages::OpenFileToCutFirst());
  EXPECT_EQ(state.chapterSearchDone, 0);
}

TEST_F(ChapterHandlers, ARefusedCutKeepsTheSearch) {
  Open("第一章甲");
  ChapterSearch(ui, state);
  ui.TakeMessages();
  ui.SetText(names::kSaveLocationBox, Concat({out.gbk(), ByteText("/gone")}));
  ChapterCut(ui, state);
  EXPECT_TRUE(StartsWith(OnlyMessage().content, "保存位置不存在或不能写入"));
  EXPECT_EQ(state.chapterSearchDone, 1);
  EXPECT_EQ(state.chapterStarts, std::vector<int>{1});
}

TEST_F(ChapterHandlers, TheNovelSplitsAtItsHeadings) {
  const std::string novel = std::string(MORVANE_TEST_DATA_DIR) + "/a-q-zhengzhuan.gbk.txt";
  const auto bytes = ReadBytes(novel);
  ASSERT_TRUE(bytes) << "the novel is not at " << novel;
  ui.ChooseFile(names::kNormalDialog, PathFromUtf8(novel));
  OpenForNormalCut(ui, state);
  ChapterSearch(ui, state);
  // Nine chapters, plus "第一是文章的名目" where "章" stands 8 bytes after "第": a short
  // chapter, which the automatic rule does not take.
  EXPECT_EQ(OnlyMessage().content,
            "已搜寻到10章\r\n智能识别可找到9章，可在章节目录中点击“改用智能”");
  ChapterCut(ui, state);
  std::string joined;
  for (int k = 0; k <= 10; ++k) {
    std::string piece = Output("a-q-zhengzhuan.gbk-" + std::to_string(k) + ".txt");
    ASSERT_TRUE(piece.ends_with(BannerConstant().view())) << k;
    piece.resize(piece.size() - BannerConstant().size());
    if (k > 0) {
      EXPECT_TRUE(piece.starts_with(GbkBytes("第"))) << k;
    }
    joined += piece;
  }
  EXPECT_EQ(joined, *bytes);
  EXPECT_TRUE(Output("a-q-zhengzhuan.gbk-2.txt").starts_with(GbkBytes("第一是文章的名目")));
}

// Every rule finds the same headings wherever the program runs, since both builds search
// with the same ICU (its converters, its regular expressions and their data). A heading
// is told by its text, from where its chapter begins to the end of its line.
TEST(ChapterRules, FindTheSameHeadingsOnEverySystem) {
  const std::string book =
      "书名\n第一章 开端\n正文第一是文章的名目。\nChapter 12 The End\n　　第二章\n"
      "第六回合结束。\n番外 小事\n";
  std::string body;
  for (int i = 0; i < 40; ++i) body += "正文，一句话。";
  std::string novel = "序章\n" + body + "\n";
  for (const char* n : {"1", "2", "3", "4"})
    novel += std::string("第") + n + "章 标题\n" + body + "\n";
  std::string longLine;
  for (int i = 0; i < 10000; ++i) longLine += "字";
  longLine += "第九章";
  struct Case {
    const char* rule;
    std::string text;  // UTF-8
    Encoding encoding;
    std::vector<std::string> headings;
  };
  const Encoding utf8 = Encoding::kUtf8;
  const Case cases[] = {
      {"near", book, utf8, {"第一章 开端", "第一是文章的名目。", "第二章"}},
      {"lines", book, utf8, {"第一章 开端", "Chapter 12 The End", "　　第二章", "番外 小事"}},
      {"auto", novel, utf8, {"序章", "第1章 标题", "第2章 标题", "第3章 标题", "第4章 标题"}},
      {"regex:(?i)chapter \\d+", "CHAPTER 7\nchapters\n", utf8, {"CHAPTER 7"}},
      {"regex:^\\p{Han}{1,3}章", "第一章\n序章\n第一二三章\n", utf8, {"第一章", "序章"}},
      {"regex:第\\x{4E00}章", "第一章\n第二章\n", utf8, {"第一章"}},
      // A character outside the basic plane is one character, in UTF-8 and in GB18030.
      {"regex:^.章", "𠀀章 上\n", utf8, {"𠀀章 上"}},
      {"regex:^.章", "𠀀章 上\n", Encoding::kGb18030, {"𠀀章 上"}},
      // \d, \s, \w and \b know full-width digits, U+3000 and Han characters.
      {"regex:^第\\d+章", "第１２章\n第一章\n", utf8, {"第１２章"}},
      {"regex:^\\s+第", "　　第二章\n", utf8, {"　　第二章"}},
      {"regex:^\\w{3}$", "第一章\n第一章。\n", utf8, {"第一章"}},
      {"regex:\\b第", "　第三章\n正文第四章\n", utf8, {"第三章"}},
      // The data the program links: character names, emoji, graphemes, word breaks.
      {"regex:\\N{CJK UNIFIED IDEOGRAPH-7B2C}.章", "第五章\n", utf8, {"第五章"}},
      {"regex:^\\p{Emoji_Presentation}", "😀第六章\n第七章\n", utf8, {"😀第六章"}},
      {"regex:^\\X章", "e\xCC\x81章\n", utf8, {"e\xCC\x81章"}},
      {"regex:(?w)\\bChapter\\b", "Chapters\nThe Chapter\n", utf8, {"Chapter"}},
      // A line of ten thousand characters, as 去换行符 makes, neither crashes nor gives up.
      {"regex:.*第.章", longLine + "\n", utf8, {longLine}},
      {"regex:第[一二三]章|尾声", "第二章\n第四章\n尾声\n", Encoding::kGbk, {"第二章", "尾声"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.rule) + " on " + c.text.substr(0, 40));
    TextDecoder utf8Decoder(utf8);
    TextDecoder decoder(c.encoding);
    const std::string bytes = decoder.Encode(utf8Decoder.Decode(c.text));
    const auto rule = ParseRule(c.rule);
    ASSERT_TRUE(rule);
    const auto found = FindHeadings(ByteText(bytes), *rule, c.encoding);
    ASSERT_TRUE(std::holds_alternative<std::vector<Heading>>(found));
    std::vector<std::string> headings;
    for (const Heading& heading : std::get<std::vector<Heading>>(found)) {
      const auto from = static_cast<std::size_t>(heading.offset());
      const std::size_t end = bytes.find('\n', from);
      headings.push_back(utf8Decoder.Encode(decoder.Decode(bytes.substr(from, end - from))));
    }
    EXPECT_EQ(headings, c.headings);
  }
}

}  // namespace
}  // namespace morvane::testing
