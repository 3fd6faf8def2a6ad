#include "engine/chapter_cutting.h"

#include <gtest/gtest.h>

#include <random>

#include "core/files.h"
#include "core/gbk.h"
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
  EXPECT_EQ(found.content, Gbk("已搜寻到2章"));
  EXPECT_EQ(found.caption, Gbk("章节搜寻提示"));
  EXPECT_EQ(state.chapterSearchDone, 1);

  ChapterCut(ui, state);
  auto shown = ui.TakeMessages();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].content, ByteText("3"));
  EXPECT_EQ(shown[1].content, messages::ChapterCutFinished());
  EXPECT_EQ(state.chapterSearchDone, 0);
  EXPECT_EQ(FolderNames(out.path()),
            (std::vector<std::string>{"book-0.txt", "book-1.txt", "book-2.txt"}));
  EXPECT_EQ(Output("book-0.txt"), WithBanner(GbkBytes("前言")));
  EXPECT_EQ(Output("book-1.txt"), WithBanner(GbkBytes("第一章甲")));
  EXPECT_EQ(Output("book-2.txt"), WithBanner(GbkBytes("第二章乙")));

  ChapterCut(ui, state);
  EXPECT_EQ(OnlyMessage().content, messages::SearchFirst());
}

TEST_F(ChapterHandlers, NoHeadingGivesTheWholeTextInFileZero) {
  Open("没有标题的文字");
  ChapterSearch(ui, state);
  EXPECT_EQ(OnlyMessage().content, Gbk("已搜寻到0章"));
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
  // Nine chapters, plus "第一是文章的名目" where "章" stands 8 bytes after "第".
  EXPECT_EQ(OnlyMessage().content, Gbk("已搜寻到10章"));
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

}  // namespace
}  // namespace morvane::testing
