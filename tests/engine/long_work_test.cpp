// Writing operations as long work: each announces its size, reports after every file,
// and a stop request takes back the files the run created (files it replaced keep their
// new content) and ends with the cancel message instead of the completion message.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/gbk.h"
#include "engine/chapter_cutting.h"
#include "engine/merging.h"
#include "engine/messages.h"
#include "handler_fixture.h"

namespace morvane::testing {
namespace {

struct Operation {
  const char* name;
  // Opens what the operation needs; then runs it.
  std::function<void(HandlerTest&, class LongWork&)> run;
  WorkSize size;  // announced, banner bytes left out
  std::vector<std::string> allFiles;
  int stopAfter;  // files written when the user presses 取消
};

class LongWork : public HandlerTest, public ::testing::WithParamInterface<Operation> {
 public:
  using HandlerTest::PutInput;
  using HandlerTest::state;
  using HandlerTest::ui;
};

const Operation kOperations[] = {
    {"simple_cut",
     [](HandlerTest&, LongWork& t) {
       t.ui.ChooseFile(names::kSimpleDialog, t.PutInput("book.txt", "abcdefghij"));
       OpenForSimpleCut(t.ui, t.state);
       t.ui.Type(names::kSimplePieceBytesBox, ByteText("3"));
       SimpleCut(t.ui, t.state);
     },
     {4, 10},
     {"book-1.txt", "book-2.txt", "book-3.txt", "book-4.txt"},
     2},
    {"chapter_cut",
     [](HandlerTest&, LongWork& t) {
       t.ui.ChooseFile(names::kNormalDialog,
                       t.PutInput("book.txt", GbkBytes("序第1章甲第2章乙第3章丙")));
       OpenForNormalCut(t.ui, t.state);
       ChapterSearch(t.ui, t.state);
       ChapterCut(t.ui, t.state);
     },
     {4, 23},
     {"book-0.txt", "book-1.txt", "book-2.txt", "book-3.txt"},
     1},
    {"merge",
     [](HandlerTest&, LongWork& t) {
       t.ui.ChooseFile(names::kMergeDialog, t.PutInput("book.txt", "first"));
       OpenMergeFile(t.ui, t.state, 1);
       t.ui.ChooseFile(names::kMergeDialog, t.PutInput("two.txt", "second"));
       OpenMergeFile(t.ui, t.state, 2);
       MergeFiles(t.ui, t.state);
     },
     {1, 11},
     {"book已合并.txt"},
     0},
};

std::vector<std::string> NativeNames(const std::vector<std::string>& gbk) {
  std::vector<std::string> names;
  for (const std::string& name : gbk) names.push_back(name);
  return names;
}

TEST_P(LongWork, RunsToItsEndAndAnnouncesItsSize) {
  GetParam().run(*this, *this);
  EXPECT_EQ(FolderNames(out.path()), NativeNames(GetParam().allFiles));
  // Reading and searching come first (no files, no known size); writing is the last.
  ASSERT_FALSE(ui.longWork.empty());
  for (std::size_t i = 0; i + 1 < ui.longWork.size(); ++i) EXPECT_EQ(ui.longWork[i].files, 0);
  const std::int64_t banner = static_cast<std::int64_t>(state.bannerText.size());
  EXPECT_EQ(ui.longWork.back().files, GetParam().size.files);
  EXPECT_EQ(ui.longWork.back().bytes, GetParam().size.bytes + GetParam().size.files * banner);
  EXPECT_NE(ui.messages().back().content, messages::Cancelled());
}

TEST_P(LongWork, AStopTakesBackTheFilesItCreated) {
  // The first name is already taken: the run replaces that file, and it stays.
  const std::string taken = NativeNames(GetParam().allFiles).front();
  WriteBytes(out / taken, "older");
  ui.stopAfterFiles = GetParam().stopAfter;
  ui.stopOnlyWrites = true;
  GetParam().run(*this, *this);
  EXPECT_EQ(FolderNames(out.path()), std::vector<std::string>{taken});
  EXPECT_EQ(ui.messages().back().content, messages::Cancelled());
  if (std::string_view(GetParam().name) == "chapter_cut") {
    EXPECT_EQ(state.chapterSearchDone, 1);  // the search still stands for another try
  }
}

INSTANTIATE_TEST_SUITE_P(Operations, LongWork, ::testing::ValuesIn(kOperations),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace morvane::testing
