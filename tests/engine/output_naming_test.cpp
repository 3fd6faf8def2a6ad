// SPDX-License-Identifier: MIT
#include "engine/output_naming.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include "core/gbk.h"
#include "engine/banner.h"
#include "engine/chapter_cutting.h"
#include "engine/merging.h"
#include "engine/messages.h"
#include "engine/output_checks.h"
#include "engine/output_writing.h"
#include "engine/size_cutting.h"
#include "handler_fixture.h"
#include "presenters/chapter_cutting.h"
#include "presenters/merging.h"
#include "presenters/size_cutting.h"

namespace morvane::testing {
namespace {

Path P(std::string_view bytes) {
  return Path(std::string(bytes));
}

TEST(BaseNameOf, IsTheNameBetweenTheLastSeparatorAndTheLastDotAsBytes) {
  const std::pair<const char*, const char*> cases[] = {
      {"/txt/第一卷.part.txt", "第一卷.part"},
      {"/in/a.b.txt", "a.b"},
      {"/in/book", ""},
      {"/in.old/book", ""},
      {"/in/.hidden", ""},
      {"/book.txt", "book"},
      {"/in/第.txt", "第"},  // UTF-8: stepping as GBK would swallow the dot
      {"/in/\xB5\xDA\xD2\xBB\xBE\xED.txt", "\xB5\xDA\xD2\xBB\xBE\xED"},  // raw GBK 第一卷
      {"/in/x\x81.y.txt", "x\x81.y"},
  };
  for (const auto& [path, base] : cases) EXPECT_EQ(BaseNameOf(P(path)), P(base)) << path;
}

TEST(OutputPaths, JoinFolderPrefixAndNumberInTheFileSystemsEncoding) {
  EXPECT_EQ(PiecePath({P("/out"), P("novel")}, 12), P("/out/novel-12.txt"));
  EXPECT_EQ(PiecePath({P("/"), P("a")}, 1), P("/a-1.txt"));
  EXPECT_EQ(PiecePath({P("/out"), P("")}, 2), P("/out/-2.txt"));
  EXPECT_EQ(MergedPath({P("/out"), P("")}), P("/out/已合并.txt"));
  EXPECT_EQ(MergedPath({P("/out"), P("书")}), P("/out/书已合并.txt"));
  EXPECT_EQ(MergedPath({P("/out"), P("\xB5")}), P("/out/\xB5已合并.txt"));
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
  std::optional<std::string> Refusal(const Path& folder, std::string_view prefix, int last,
                                     std::vector<Path> inputs = {}) {
    return RefuseOutputs({{folder, P(prefix)}, false, 1, last}, {std::move(inputs), folder, {}});
  }
  ScratchFolder dir;
};

TEST_F(OutputChecks, AWritableFolderAndPlainNamesPass) {
  EXPECT_EQ(Refusal(dir.native(), "第一卷", 100000), std::nullopt);
  EXPECT_EQ(RefuseOutputs({{dir.native(), Path()}, true}, {}), std::nullopt);
}

TEST_F(OutputChecks, AFolderThatCannotTakeFilesIsRefused) {
  WriteBytes(dir / "file", "x");
  for (const Path& folder : {dir.at("gone"), dir.at("file"), Path()}) {
    auto refusal = Refusal(folder, "a", 3);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(*refusal, messages::FolderNotWritable(folder));
  }
}

TEST_F(OutputChecks, APrefixLeadingElsewhereOrTooLongIsRefused) {
  ::mkdir((dir / "sub").c_str(), 0755);
  EXPECT_EQ(Refusal(dir.native(), "sub/a", 3), messages::PrefixHasSeparator(P("sub/a")));
  // 83 characters of three UTF-8 bytes each: 249 bytes, and "-10.txt" takes it past 255.
  std::string longPrefix;
  for (int i = 0; i < 83; ++i) longPrefix += "书";
  EXPECT_EQ(Refusal(dir.native(), longPrefix, 9), std::nullopt);
  auto refusal = Refusal(dir.native(), longPrefix, 10);
  ASSERT_TRUE(refusal);
  EXPECT_TRUE(refusal->starts_with("文件名太长"));
}

TEST_F(OutputChecks, AnOutputThatIsAnInputUnderAnyNameIsRefused) {
  WriteBytes(dir / "book.txt", "the input");
  ASSERT_EQ(::link((dir / "book.txt").c_str(), (dir / "a-7.txt").c_str()), 0);
  const Path input = dir.at("book.txt");
  auto refusal = Refusal(dir.native(), "a", 9, {input});
  ASSERT_TRUE(refusal);
  EXPECT_EQ(*refusal, messages::WouldOverwriteInput(dir.at("a-7.txt")));
  EXPECT_EQ(Refusal(dir.native(), "a", 6, {input}), std::nullopt);
  // Another spelling of the same folder.
  EXPECT_TRUE(Refusal(P(dir.path() + "/./."), "a", 7, {input}));
}

TEST_F(OutputChecks, ANameTakenByAFolderOrAReadOnlyFileIsRefusedBeforeAnyWrite) {
  ::mkdir((dir / "a-2.txt").c_str(), 0755);
  auto refusal = Refusal(dir.native(), "a", 5);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(*refusal, messages::CannotReplaceOutput(dir.at("a-2.txt"), EISDIR));

  WriteBytes(dir / "b-3.txt", "older");
  ::chmod((dir / "b-3.txt").c_str(), 0444);
  refusal = Refusal(dir.native(), "b", 5);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(*refusal, messages::CannotReplaceOutput(dir.at("b-3.txt"), EACCES));
  // A writable older file of the same name is simply replaced.
  ::chmod((dir / "b-3.txt").c_str(), 0644);
  EXPECT_EQ(Refusal(dir.native(), "b", 5), std::nullopt);
}

// The save folder moved away mid-run (after the first file is written): the run's files
// go only into the folder it began with, wherever that is now, the writing stops, and the
// report says so; nothing reaches what stands at the old path now.
std::string movedFrom;
std::string movedTo;
std::string putInPlace;  // a folder to link at the old path, or ""

TEST_F(OutputChecks, AFolderMovedMidRunKeepsItsFilesAndIsReported) {
  for (const bool linkInPlace : {true, false}) {
    SCOPED_TRACE(linkInPlace ? "a link to another folder in its place" : "nothing in its place");
    ScratchFolder scratch;
    movedFrom = scratch / "out";
    movedTo = scratch / "moved";
    putInPlace = linkInPlace ? scratch / "other" : "";
    ::mkdir(movedFrom.c_str(), 0755);
    ::mkdir((scratch / "other").c_str(), 0755);
    const OutputTarget target{scratch.at("out"), P("a")};
    ASSERT_EQ(RefuseOutputs({target, false, 1, 300}, {}), std::nullopt);
    SetWriteFaults({nullptr, nullptr, [] {
                      if (::rename(movedFrom.c_str(), movedTo.c_str()) == 0 && !putInPlace.empty())
                        ::symlink(putInPlace.c_str(), movedFrom.c_str());
                    }});
    const ByteText text(std::string(3000, 'x'));
    const WriteReport report = WritePieces(target, text, 3000, 10, ByteText("B"));
    SetWriteFaults({});
    EXPECT_TRUE(report.folderMoved());
    EXPECT_FALSE(report.ok());
    EXPECT_TRUE(FolderNames(scratch / "other").empty());
    const std::vector<std::string> written = FolderNames(movedTo);
    EXPECT_FALSE(written.empty());
    EXPECT_LT(written.size(), 300u);  // it stopped
    for (const std::string& name : written) EXPECT_TRUE(name.starts_with("a-")) << name;
  }
}

// A failure is worded from its code and category alone, wherever it came from: a Windows
// file in use stays one, and a code without words of its own is named by its number.
TEST(FailureReasons, AreWordedFromTheCodeAndItsCategory) {
  const auto win32 = [](int code) {
    return FileError{ErrorCategory::kWin32, code, FileOperation::kWrite, {}};
  };
  const auto posix = [](int code) { return PosixError(code, FileOperation::kWrite); };
  const std::pair<FileError, const char*> cases[] = {
      {win32(32), "文件正被其他程序使用"},  // ERROR_SHARING_VIOLATION
      {win32(33), "文件正被其他程序使用"},  // ERROR_LOCK_VIOLATION
      {win32(5), "没有权限"},               // ERROR_ACCESS_DENIED
      {win32(112), "磁盘空间不足"},         // ERROR_DISK_FULL
      {win32(1392), "Windows错误代码1392"},
      {win32(123), "文件名或路径的写法不对"},  // ERROR_INVALID_NAME
      {win32(123), "（Windows错误代码123）"},
      {win32(21), "设备未就绪"},  // ERROR_NOT_READY
      {posix(ENOSPC), "磁盘空间不足"},
      {posix(EACCES), "没有权限"},
      {posix(EXDEV), "系统错误代码18"},
      {ProgramFailure(ProgramError::kNotRegularFile, FileOperation::kOpen), "不是普通文件"},
      {ProgramFailure(ProgramError::kReplacesKeptFile, FileOperation::kWrite), "覆盖正在处理"},
  };
  for (const auto& [error, words] : cases) {
    EXPECT_NE(messages::Reason(error).find(words), std::string::npos) << words;
  }
  EXPECT_TRUE(messages::Reason(FileError{}).empty());
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
