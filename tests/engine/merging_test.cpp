// SPDX-License-Identifier: MIT
#include "engine/merging.h"

#include <gtest/gtest.h>

#include "core/gbk.h"
#include "engine/messages.h"
#include "handler_fixture.h"
#include "presenters/merging.h"

namespace morvane::testing {
namespace {

class MergeHandlers : public HandlerTest {
 protected:
  // Chooses a file holding text for a row.
  void Choose(int row, std::string_view name, std::string_view text) {
    ui.ChooseFile(names::kMergeDialog, PutInput(name, text));
    OpenMergeFile(ui, state, row);
  }
  void SelectCount(int count) {
    ui.Bind(names::kMergeCountList, Event::kItemSelected, [this] { SelectMergeCount(ui, state); });
    ui.Select(names::kMergeCountList, count - 2);
  }
};

TEST_F(MergeHandlers, TwoRowsWithoutTouchingTheCount) {
  Choose(1, "book.txt", "first");
  Choose(2, "two.txt", "second\r\n");
  EXPECT_EQ(state.merge.mergeCount, 0);
  MergeFiles(ui, state);
  auto shown = OnlyMessage();
  EXPECT_EQ(shown.content, "合并完毕！");
  EXPECT_EQ(shown.caption, "提示：");
  EXPECT_EQ(Output("book已合并.txt"), WithBanner("firstsecond\r\n"));
}

TEST_F(MergeHandlers, TheCountShowsRowsAndTheMergeClearsThoseBeyondIt) {
  SelectCount(5);
  EXPECT_TRUE(ui.Visible(names::kMergePathBox[5]));
  for (int row = 1; row <= 5; ++row) {
    const std::string number = std::to_string(row);
    Choose(row, "f" + number + ".txt", number);
  }
  SelectCount(3);
  EXPECT_TRUE(ui.Visible(names::kMergeOpenButton[3]));
  EXPECT_FALSE(ui.Visible(names::kMergeRowLabel[4]));
  EXPECT_FALSE(ui.Text(names::kMergePathBox[4]).empty());  // hidden, not cleared
  MergeFiles(ui, state);
  EXPECT_EQ(Output("f1已合并.txt"), WithBanner("123"));
  EXPECT_TRUE(ui.Text(names::kMergePathBox[4]).empty());
  EXPECT_TRUE(state.merge.mergeText[5].empty());
}

TEST_F(MergeHandlers, TheFirstMissingRowIsNamed) {
  MergeFiles(ui, state);
  EXPECT_EQ(OnlyMessage().content, "请打开您要合并的第1个文件");
  Choose(1, "a.txt", "a");
  MergeFiles(ui, state);
  EXPECT_EQ(OnlyMessage().content, "请打开您要合并的第2个文件");
  Choose(2, "b.txt", "b");
  SelectCount(5);
  Choose(5, "e.txt", "e");
  SelectCount(4);
  Choose(4, "d.txt", "d");
  MergeFiles(ui, state);
  EXPECT_EQ(OnlyMessage().content, "请打开您要合并的第3个文件");
  // Row 5 was emptied before the test stopped the merge.
  EXPECT_TRUE(ui.Text(names::kMergePathBox[5]).empty());
  EXPECT_TRUE(FolderNames(out.path()).empty());
}

TEST_F(MergeHandlers, OnlyRowOneSetsThePrefix) {
  Choose(1, "book.txt", "x");
  Choose(2, "other.txt", "y");
  EXPECT_EQ(ui.Text(names::kPrefixBox), ByteText("book"));
  Choose(1, "novel.txt", "z");
  EXPECT_EQ(ui.Text(names::kPrefixBox), ByteText("novel"));
}

TEST_F(MergeHandlers, TheMergeNeverReplacesOneOfItsFiles) {
  // Row 2's file is where the merged file would go.
  const std::string target = out / "book已合并.txt";
  WriteBytes(target, "row two");
  Choose(1, "book.txt", "row one");
  ui.ChooseFile(names::kMergeDialog, PathFromUtf8(target));
  OpenMergeFile(ui, state, 2);
  MergeFiles(ui, state);
  EXPECT_TRUE(StartsWith(OnlyMessage().content, "输出文件会覆盖正在处理的文件"));
  EXPECT_EQ(ReadBytes(target), "row two");
}

TEST_F(MergeHandlers, AnUnreadableFileLeavesItsRowAsItWas) {
  Choose(2, "b.txt", "b");
  ui.ChooseFile(names::kMergeDialog, Concat({in.gbk(), ByteText("/missing.txt")}));
  OpenMergeFile(ui, state, 2);
  EXPECT_TRUE(StartsWith(OnlyMessage().content, "无法打开文件："));
  EXPECT_EQ(ui.Text(names::kMergePathBox[2]), Concat({in.gbk(), ByteText("/b.txt")}));
  EXPECT_EQ(state.merge.mergeText[2], ByteText("b"));
}

}  // namespace
}  // namespace morvane::testing
