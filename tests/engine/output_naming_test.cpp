#include "engine/output_naming.h"

#include <gtest/gtest.h>

#include "core/gbk.h"
#include "engine/banner.h"
#include "engine/chapter_cutting.h"
#include "engine/merging.h"
#include "engine/messages.h"
#include "handler_fixture.h"

namespace morvane::testing {
namespace {

TEST(BaseNameOf, IsTheNameBetweenTheLastSeparatorAndTheLastDot) {
  const std::pair<const char*, const char*> cases[] = {
      {"/txt/第一卷.part.txt", "第一卷.part"},
      {"/in/a.b.txt", "a.b"},
      {"/in/book", ""},
      {"/in.old/book", ""},
      {"/in/.hidden", ""},
      {"/book.txt", "book"},
  };
  for (const auto& [path, base] : cases) EXPECT_EQ(BaseNameOf(Gbk(path)), Gbk(base)) << path;
  // A trail byte equal to "/" or "." is no separator or dot: 0x81 0x2E is one character.
  EXPECT_EQ(BaseNameOf(ByteText("/in/x\x81.y.txt")), ByteText("x\x81.y"));
}

TEST(OutputPaths, JoinFolderPrefixAndNumber) {
  EXPECT_EQ(PiecePath({ByteText("/out"), ByteText("novel")}, 12), ByteText("/out/novel-12.txt"));
  EXPECT_EQ(PiecePath({ByteText("/"), ByteText("a")}, 1), ByteText("/a-1.txt"));
  EXPECT_EQ(PiecePath({ByteText("/out"), ByteText()}, 2), ByteText("/out/-2.txt"));
  EXPECT_EQ(MergedPath({ByteText("/out"), ByteText()}), Gbk("/out/已合并.txt"));
  EXPECT_EQ(MergedPath({ByteText("/out"), Gbk("书")}), Gbk("/out/书已合并.txt"));
}

TEST(Banner, IsOneLineOf202Bytes) {
  const ByteText& banner = BannerConstant();
  EXPECT_EQ(banner.size(), 202u);
  EXPECT_EQ(banner.view().find_first_of("\r\n"), std::string_view::npos);
  EXPECT_TRUE(banner.view().starts_with(GbkBytes("Morvane2.30绿色版,作者:柯望舒,")));
  EXPECT_NE(banner.view().find(GbkBytes("墨舟书苑·www.mozhou.example ")), std::string_view::npos);
  EXPECT_NE(
      banner.view().find(GbkBytes("：好看的小说,手打小说,全文字小说,TXT小说下载,墨舟书苑手机阅读")),
      std::string_view::npos);
  EXPECT_TRUE(banner.view().ends_with("wap.mozhou.example"));
}

class OutputChecks : public ::testing::Test {
 protected:
  std::optional<ByteText> Refusal(const ByteText& folder, const ByteText& prefix, int last,
                                  std::vector<ByteText> inputs = {}) {
    return RefuseOutputs({{folder, prefix}, false, 1, last}, inputs);
  }
  ScratchFolder dir;
};

TEST_F(OutputChecks, AWritableFolderAndPlainNamesPass) {
  EXPECT_EQ(Refusal(dir.gbk(), Gbk("第一卷"), 100000), std::nullopt);
  EXPECT_EQ(RefuseOutputs({{dir.gbk(), ByteText()}, true}, {}), std::nullopt);
}

TEST_F(OutputChecks, AFolderThatCannotTakeFilesIsRefused) {
  WriteBytes(dir / "file", "x");
  for (const ByteText& folder : {Concat({dir.gbk(), ByteText("/gone")}),
                                 Concat({dir.gbk(), ByteText("/file")}), ByteText()}) {
    auto refusal = Refusal(folder, ByteText("a"), 3);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(*refusal, messages::FolderNotWritable(folder));
  }
}

TEST_F(OutputChecks, APrefixLeadingElsewhereOrTooLongIsRefused) {
  std::filesystem::create_directory(FileSystemPath(dir / "sub"));
  EXPECT_EQ(Refusal(dir.gbk(), ByteText("sub/a"), 3),
            messages::PrefixHasSeparator(ByteText("sub/a")));
  // 83 characters of three UTF-8 bytes each: 249 bytes, and "-10.txt" takes it past 255.
  std::string longPrefix;
  for (int i = 0; i < 83; ++i) longPrefix += "书";
  EXPECT_EQ(Refusal(dir.gbk(), Gbk(longPrefix), 9), std::nullopt);
  auto refusal = Refusal(dir.gbk(), Gbk(longPrefix), 10);
  ASSERT_TRUE(refusal);
  EXPECT_TRUE(refusal->view().starts_with(GbkBytes("文件名太长")));
}

TEST_F(OutputChecks, AnOutputThatIsAnInputUnderAnyNameIsRefused) {
  WriteBytes(dir / "book.txt", "the input");
  std::filesystem::create_hard_link(FileSystemPath(dir / "book.txt"), FileSystemPath(dir / "a-7.txt"));
  const ByteText input = Concat({dir.gbk(), ByteText("/book.txt")});
  auto refusal = Refusal(dir.gbk(), ByteText("a"), 9, {input});
  ASSERT_TRUE(refusal);
  EXPECT_EQ(*refusal, messages::WouldOverwriteInput(Concat({dir.gbk(), ByteText("/a-7.txt")})));
  EXPECT_EQ(Refusal(dir.gbk(), ByteText("a"), 6, {input}), std::nullopt);
  // Another spelling of the same folder.
  EXPECT_TRUE(Refusal(Concat({dir.gbk(), ByteText("/./.")}), ByteText("a"), 7, {input}));
}

TEST_F(OutputChecks, ANameTakenByAFolderOrAReadOnlyFileIsRefusedBeforeAnyWrite) {
  std::filesystem::create_directory(FileSystemPath(dir / "a-2.txt"));
  auto refusal = Refusal(dir.gbk(), ByteText("a"), 5);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(*refusal, messages::CannotReplaceOutput(Concat({dir.gbk(), ByteText("/a-2.txt")})));

  WriteBytes(dir / "b-3.txt", "older");
  SetWritable(dir / "b-3.txt", false);
  refusal = Refusal(dir.gbk(), ByteText("b"), 5);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(*refusal, messages::CannotReplaceOutput(Concat({dir.gbk(), ByteText("/b-3.txt")})));
  // A writable older file of the same name is simply replaced.
  SetWritable(dir / "b-3.txt", true);
  EXPECT_EQ(Refusal(dir.gbk(), ByteText("b"), 5), std::nullopt);
}

class SaveFolder : public HandlerTest {};

TEST_F(SaveFolder, WithoutOneEveryOperationAsksAndStops) {
  ui.SetText(names::kSaveLocationBox, ByteText());
  // The user picks a folder in the window; the operation still ends.
  ui.whileWindowOpen = [this] { ui.SetText(names::kSaveLocationBox, out.gbk()); };
  ui.ChooseFile(names::kNormalDialog, PutInput("book.txt", GbkBytes("第一章")));
  OpenForNormalCut(ui, state);
  ui.SetText(names::kSimpleText, ByteText("text"));
  state.chapterSearchDone = 1;
  for (auto operation : {&SimpleCut, &NormalCut, &ChapterSearch, &ChapterCut, &MergeFiles}) {
    ui.SetText(names::kSaveLocationBox, ByteText());
    operation(ui, state);
    EXPECT_EQ(OnlyMessage().content, messages::ChooseSaveFolderFirst());
  }
  EXPECT_EQ(ui.windowsLoaded(), 5);
  EXPECT_TRUE(FolderNames(out.path()).empty());
  EXPECT_EQ(ui.Text(names::kSaveLocationBox), out.gbk());
}

}  // namespace
}  // namespace morvane::testing
