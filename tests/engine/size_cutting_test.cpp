// SPDX-License-Identifier: MIT
#include "engine/size_cutting.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <random>

#include "core/files.h"
#include "core/gbk.h"
#include "engine/chapter_cutting.h"
#include "engine/messages.h"
#include "fuzz/reference.h"
#include "handler_fixture.h"
#include "presenters/chapter_cutting.h"
#include "presenters/file_choosing.h"
#include "presenters/size_cutting.h"

namespace morvane::testing {
namespace {

std::vector<std::string> Strings(const std::vector<ByteText>& pieces) {
  std::vector<std::string> out;
  for (const ByteText& piece : pieces) out.emplace_back(piece.view());
  return out;
}

TEST(PieceCount, RoundsUpAndFollowsTheSignOfTheRemainder) {
  EXPECT_EQ(PieceCount(1234, 500), 3);
  EXPECT_EQ(PieceCount(1000, 500), 2);
  EXPECT_EQ(PieceCount(0, 500), 0);
  EXPECT_EQ(PieceCount(4, 1), 4);
  EXPECT_EQ(PieceCount(12, -5), -1);
  EXPECT_EQ(PieceCount(3, -5), 1);
  EXPECT_EQ(PieceCount(0x7FFFFFFF, 1), 0x7FFFFFFF);
}

TEST(CutPieces, KeepsDoubleByteCharactersWhole) {
  struct Case {
    std::string text;
    int pieceBytes;
    std::vector<std::string> pieces;
  };
  const std::string zhong = GbkBytes("中");
  const std::string wen = GbkBytes("文");
  const Case cases[] = {
      {zhong + wen, 1, {zhong, wen, "", ""}},
      {"ab" + zhong, 3, {"ab" + zhong, ""}},
      {zhong + "ab", 1, {zhong, "a", "b", ""}},
      {"\x41\x81\x40", 2, {"\x41\x81\x40", ""}},  // an extension character stays whole
      // An extension character flips no parity: the GB2312 character after it stays whole.
      {"\x81\x40\xC7\xD3", 3, {"\x81\x40\xC7\xD3", ""}},
      {std::string(1000, 'x'), 500, {std::string(500, 'x'), std::string(500, 'x')}},
      {"abc", 10, {"abc"}},
      {std::string(12, 'x'), -5, {}},
      {"abc", -5, {""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Strings(CutPieces(ByteText(c.text), static_cast<int>(c.text.size()), c.pieceBytes)),
              c.pieces);
  }
}

TEST(CutPieces, ThirtyBytesOfCharactersByThreeRunOutEarly) {
  std::string text;
  for (int i = 0; i < 15; ++i) text += GbkBytes("字");
  auto pieces = Strings(CutPieces(ByteText(text), 30, 3));
  ASSERT_EQ(pieces.size(), 10u);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(pieces[i].size(), 4u) << i;
  EXPECT_EQ(pieces[7].size(), 2u);
  EXPECT_EQ(pieces[8], "");
  EXPECT_EQ(pieces[9], "");
}

// In every encoding, on bytes rich in each encoding's lead, trail and surrogate bytes.
TEST(CutPieces, AgreesWithTheReferenceOnRandomText) {
  std::mt19937 random(7);
  const unsigned char alphabet[] = {0x41, 0x0A, 0x40, 0x80, 0x81, 0xB5, 0xDA, 0xFE, 0xFF,
                                    0xD5, 0x00, 0x31, 0xD8, 0xDC, 0xE7, 0xAC, 0xF0};
  for (int round = 0; round < 6000; ++round) {
    const Encoding encoding = kEncodings[round % std::size(kEncodings)];
    std::string text(random() % 60, ' ');
    for (char& c : text) c = static_cast<char>(alphabet[random() % std::size(alphabet)]);
    const int size = static_cast<int>(text.size());
    int pieceBytes = static_cast<int>(random() % 16) - 3;
    if (pieceBytes == 0) pieceBytes = 1;
    SCOPED_TRACE(::testing::PrintToString(text) + " by " + std::to_string(pieceBytes));
    const ByteText t = ByteText::Copy(text);
    std::vector<std::string> want;
    for (std::string_view piece :
         reference::CutIntoPieces(text, size, pieceBytes, static_cast<int>(encoding)))
      want.emplace_back(piece);
    ASSERT_EQ(Strings(CutPieces(t, size, pieceBytes, encoding)), want) << EncodingName(encoding);
  }
}

class SizeCutHandlers : public HandlerTest {};

TEST_F(SizeCutHandlers, OpeningAFileShowsSizeCountAndPrefix) {
  ui.ChooseFile(names::kSimpleDialog, PutInput("book.txt", std::string(1234, 'a')));
  OpenForSimpleCut(ui, state);
  EXPECT_EQ(ui.Text(names::kSimpleSizeLabel), Gbk("1234字节"));
  EXPECT_EQ(ui.Text(names::kSimpleCountLabel), ByteText("3"));
  EXPECT_EQ(ui.Text(names::kPrefixBox), ByteText("book"));
  EXPECT_GE(ui.ContentChangedCount(names::kSimpleText), 1);
  EXPECT_TRUE(ui.messages().empty());

  ui.Type(names::kSimplePieceBytesBox, ByteText("abc"));
  EXPECT_EQ(ui.Text(names::kSimpleCountLabel), ByteText("1234"));
  // A size the cut would refuse shows no count.
  ui.Type(names::kSimplePieceBytesBox, ByteText("-5"));
  EXPECT_EQ(ui.Text(names::kSimpleCountLabel), ByteText("-"));
}

TEST_F(SizeCutHandlers, SimpleCutWritesNumberedPiecesWithTheBanner) {
  ui.ChooseFile(names::kSimpleDialog, PutInput("book.txt", std::string(1234, 'a')));
  OpenForSimpleCut(ui, state);
  SimpleCut(ui, state);
  EXPECT_EQ(OnlyMessage().content, messages::CutFinished());
  EXPECT_EQ(FolderNames(out.path()),
            (std::vector<std::string>{"book-1.txt", "book-2.txt", "book-3.txt"}));
  EXPECT_EQ(Output("book-1.txt"), WithBanner(std::string(500, 'a')));
  EXPECT_EQ(Output("book-3.txt"), WithBanner(std::string(234, 'a')));
}

TEST_F(SizeCutHandlers, RefusalsComeInOrderAndWriteNothing) {
  ui.SetText(names::kSaveLocationBox, ByteText());
  ui.whileWindowOpen = [this] { ui.SetText(names::kSaveLocationBox, out.gbk()); };
  SimpleCut(ui, state);
  EXPECT_EQ(OnlyMessage().content, messages::ChooseSaveFolderFirst());
  EXPECT_EQ(ui.windowsLoaded(), 1);

  ui.SetText(names::kSimpleText, ByteText());
  SimpleCut(ui, state);
  auto empty = OnlyMessage();
  EXPECT_EQ(empty.content, messages::FileToCutIsEmpty());
  EXPECT_EQ(empty.caption, messages::WarningCaption());

  ui.SetText(names::kSimpleText, ByteText("twelve bytes"));
  ui.Type(names::kSimplePieceBytesBox, ByteText("-5"));
  EXPECT_EQ(ui.Text(names::kSimpleCountLabel), ByteText("-"));
  SimpleCut(ui, state);
  EXPECT_EQ(OnlyMessage().content, messages::BadPieceBytes());

  NormalCut(ui, state);
  EXPECT_EQ(OnlyMessage().content, messages::OpenFileToCutFirst());
  EXPECT_TRUE(FolderNames(out.path()).empty());
}

TEST_F(SizeCutHandlers, NormalCutBySizeInKilobytes) {
  ui.ChooseFile(names::kNormalDialog, PutInput("big.txt", std::string(500000, 'x')));
  OpenForNormalCut(ui, state);
  EXPECT_EQ(ui.Text(names::kNormalSizeLabel), ByteText("488.3 K"));
  EXPECT_EQ(ui.Text(names::kNormalPathBox), Concat({in.gbk(), ByteText("/big.txt")}));
  NormalCut(ui, state);
  EXPECT_EQ(OnlyMessage().content, messages::CutFinished());
  EXPECT_EQ(Output("big-1.txt").size(), 204800u + 202u);
  EXPECT_EQ(Output("big-2.txt").size(), 204800u + 202u);
  EXPECT_EQ(Output("big-3.txt").size(), 90400u + 202u);
}

TEST_F(SizeCutHandlers, CutSizesWithoutAPieceOfOneByteAreRefused) {
  ui.ChooseFile(names::kNormalDialog, PutInput("big.txt", std::string(5000, 'x')));
  OpenForNormalCut(ui, state);
  for (const char* size : {"0", "", "abc", "-1", "2097152", "99999999999"}) {
    SCOPED_TRACE(size);
    ui.Type(names::kCutSizeBox, ByteText(size));
    NormalCut(ui, state);
    EXPECT_EQ(OnlyMessage().content, messages::BadCutSize());
  }
  EXPECT_TRUE(FolderNames(out.path()).empty());
  ui.Type(names::kCutSizeBox, ByteText("2097151"));
  NormalCut(ui, state);
  EXPECT_EQ(OnlyMessage().content, messages::CutFinished());
  EXPECT_EQ(Output("big-1.txt"), WithBanner(std::string(5000, 'x')));
}

TEST_F(SizeCutHandlers, AnEmptyFileGivesNoPieceButCompletion) {
  ui.ChooseFile(names::kNormalDialog, PutInput("empty.txt", ""));
  OpenForNormalCut(ui, state);
  NormalCut(ui, state);
  EXPECT_EQ(OnlyMessage().content, messages::CutFinished());
  EXPECT_TRUE(FolderNames(out.path()).empty());
}

TEST_F(SizeCutHandlers, AnUnreadableFileIsNamedAndChangesNothing) {
  ui.ChooseFile(names::kSimpleDialog, PutInput("first.txt", "first text"));
  OpenForSimpleCut(ui, state);
  ui.ChooseFile(names::kNormalDialog, PutInput("first.txt", "first text"));
  OpenForNormalCut(ui, state);
  // A name with a character GBK lacks: the message shows it as it is.
  const Path missing = in.at("missing😀.txt");
  for (auto open : {&OpenForSimpleCut, &OpenForNormalCut}) {
    ui.ChooseFile(names::kSimpleDialog, missing);
    ui.ChooseFile(names::kNormalDialog, missing);
    open(ui, state);
    auto shown = OnlyMessage();
    EXPECT_TRUE(StartsWith(shown.content, "无法打开文件："));
    EXPECT_TRUE(Contains(shown.content, DisplayName(missing))) << shown.content;
  }
  EXPECT_EQ(ui.Text(names::kSimpleText), ByteText("first text"));
  EXPECT_EQ(ui.Text(names::kPrefixBox), ByteText("first"));
  EXPECT_EQ(ui.Text(names::kNormalPathBox), Concat({in.gbk(), ByteText("/first.txt")}));
  EXPECT_EQ(state.cut.normalText, ByteText("first text"));
}

TEST_F(SizeCutHandlers, ATextEndingEarlySaysHowMuchWasLeftOut) {
  ui.ChooseFile(names::kSimpleDialog,
                PutInput("broken.txt", std::string("\xB5\xDA\x41\x00\x42\x43", 6)));
  OpenForSimpleCut(ui, state);
  EXPECT_EQ(ui.Text(names::kSimpleText), ByteText("\xB5\xDA\x41"));
  auto shown = OnlyMessage();
  EXPECT_TRUE(StartsWith(shown.content, "注意："));
  EXPECT_TRUE(Contains(shown.content, "0x00"));
  EXPECT_TRUE(Contains(shown.content, "文件末尾共有3个字节没有读入"));

  // Trailing 0x1A padding is an end-of-file mark, not lost text.
  ui.ChooseFile(names::kSimpleDialog, PutInput("dos.txt", "text\x1A\x1A"));
  OpenForSimpleCut(ui, state);
  EXPECT_EQ(ui.Text(names::kSimpleText), ByteText("text"));
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(SizeCutHandlers, ALargeFileGoesIntoTheBoxOnlyWhenTheUserSaysSo) {
  // A sparse file just above the limit, whose text is "abc" (it ends at the zero bytes).
  const ByteText large = PutInput("large.txt", "abc");
  std::filesystem::resize_file(Utf8FromGbk(large.view()), kLargeSimpleText + 1);
  ui.Type(names::kSimpleText, ByteText("kept"));
  const ByteText prefix = ui.Text(names::kPrefixBox);
  struct Case {
    int answer;
    std::int64_t stopAfter;  // 0: the user stops the read
    const char* text;
    std::size_t reads;  // reads run as long work
  };
  const Case cases[] = {
      {kAnswerNo, -1, "kept", 0}, {kAnswerYes, 0, "kept", 1}, {kAnswerYes, -1, "abc", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ui.longWork.clear();
    ui.answers = {c.answer};
    ui.stopAfterFiles = c.stopAfter;
    ui.ChooseFile(names::kSimpleDialog, large);
    OpenForSimpleCut(ui, state);
    const auto shown = ui.TakeMessages();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0].flags, kYesNo);
    EXPECT_EQ(shown[0].content, messages::LargeTextForSimpleCut(kLargeSimpleText + 1));
    EXPECT_TRUE(Contains(shown[0].content, "这个文件有64 MB"));
    EXPECT_EQ(ui.Text(names::kSimpleText), ByteText(c.text));
    EXPECT_EQ(ui.Text(names::kPrefixBox), c.text == std::string("abc") ? Gbk("large") : prefix);
    EXPECT_EQ(ui.longWork.size(), c.reads);
  }
  // The normal cut suits large files: it never asks.
  ui.ChooseFile(names::kNormalDialog, large);
  OpenForNormalCut(ui, state);
  for (const auto& shown : ui.TakeMessages()) EXPECT_NE(shown.flags, kYesNo);
  EXPECT_EQ(state.cut.normalText, ByteText("abc"));
}

TEST_F(SizeCutHandlers, OpeningAnotherFileNeedsANewChapterSearch) {
  ui.ChooseFile(names::kNormalDialog, PutInput("a.txt", GbkBytes("第一章甲第二章乙")));
  OpenForNormalCut(ui, state);
  ChapterSearch(ui, state);
  EXPECT_EQ(state.chapterSearchDone, 1);
  ui.ChooseFile(names::kNormalDialog, PutInput("b.txt", "short"));
  OpenForNormalCut(ui, state);
  EXPECT_EQ(state.chapterSearchDone, 0);
  ui.TakeMessages();
  ChapterCut(ui, state);
  EXPECT_EQ(OnlyMessage().content, messages::SearchFirst());
  EXPECT_TRUE(FolderNames(out.path()).empty());
}

TEST_F(SizeCutHandlers, ACutNeverReplacesItsOwnInput) {
  // The file being cut lies in the save folder under the name of its first piece.
  const std::string source = out / "a-1.txt";
  WriteBytes(source, std::string(300, 'a'));
  ui.ChooseFile(names::kSimpleDialog, Concat({out.gbk(), ByteText("/a-1.txt")}));
  OpenForSimpleCut(ui, state);
  ui.SetText(names::kPrefixBox, ByteText("a"));
  ui.Type(names::kSimplePieceBytesBox, ByteText("100"));
  SimpleCut(ui, state);
  auto shown = OnlyMessage();
  EXPECT_TRUE(StartsWith(shown.content, "输出文件会覆盖正在处理的文件"));
  EXPECT_EQ(ReadBytes(source), std::string(300, 'a'));
  EXPECT_EQ(FolderNames(out.path()), std::vector<std::string>{"a-1.txt"});
}

int failAfterTwoWrites(std::size_t) {
  static int calls = 0;
  return ++calls > 2 ? ENOSPC : 0;
}

TEST_F(SizeCutHandlers, FailedWritesAreCountedAndTheFirstIsNamed) {
  ui.SetText(names::kSimpleText, ByteText(std::string(50, 'z')));
  ui.Type(names::kSimplePieceBytesBox, ByteText("10"));
  SetWriteFaults({&failAfterTwoWrites});
  SimpleCut(ui, state);
  SetWriteFaults({});
  auto shown = OnlyMessage();
  EXPECT_TRUE(StartsWith(shown.content, "有3个文件没能写入，第一个是："));
  EXPECT_TRUE(Contains(shown.content, out.path() + kPathSeparator + "Morvane-3.txt"));
  EXPECT_EQ(FolderNames(out.path()), (std::vector<std::string>{"Morvane-1.txt", "Morvane-2.txt"}));
}

}  // namespace
}  // namespace morvane::testing
