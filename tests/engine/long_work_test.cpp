// SPDX-License-Identifier: MIT
// Writing operations as long work: each announces its size, reports after every file,
// and a stop request takes back the files the run created (files it replaced keep their
// new content) and ends with the cancel message instead of the completion message.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/gbk.h"
#include "engine/chapter_cutting.h"
#include "engine/merging.h"
#include "engine/messages.h"
#include "handler_fixture.h"
#include "presenters/chapter_cutting.h"
#include "presenters/merging.h"
#include "presenters/size_cutting.h"

namespace morvane::testing {
namespace {

struct Operation {
  const char* name;
  // Opens what the operation needs; then runs it.
  std::function<void(HandlerTest&, class LongWork&)> run;
  WorkSize size;  // announced and reported at the end: the text alone
  std::vector<std::string> allFiles;
  int stopAfter;  // files written when the user presses 取消
};

class LongWork : public HandlerTest, public ::testing::WithParamInterface<Operation> {
 public:
  using HandlerTest::PutInput;
  using HandlerTest::state;
  using HandlerTest::ui;
};

// A GBK text above the size that is written side by side: chapters of odd lengths, each
// a heading and lines of two-byte characters, so that pieces end inside characters.
constexpr int kLargeChapters = 40;
constexpr std::int64_t kLargeBytes = 8'800'040;

std::string LargeText() {
  static const std::string text = [] {
    std::string all = "x";
    const std::string line = GbkBytes("正文甲乙丙丁") + "\r\n";
    for (int c = 1; c <= kLargeChapters; ++c) {
      all += GbkBytes("第") + std::to_string(c) + GbkBytes("章") + "\r\n";
      while (static_cast<std::int64_t>(all.size()) < kLargeBytes * c / kLargeChapters - 14)
        all += line;
    }
    all.resize(static_cast<std::size_t>(kLargeBytes), 'y');
    return all;
  }();
  return text;
}

std::vector<std::string> LargeChapterNames() {
  std::vector<std::string> names;
  for (int i = 0; i <= kLargeChapters; ++i) names.push_back("book-" + std::to_string(i) + ".txt");
  std::sort(names.begin(), names.end());
  return names;
}

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
    // Texts from 8 MiB on are written on two threads side by side.
    {"normal_cut_large",
     [](HandlerTest&, LongWork& t) {
       t.ui.ChooseFile(names::kNormalDialog, t.PutInput("book.txt", LargeText()));
       OpenForNormalCut(t.ui, t.state);
       t.ui.Type(names::kCutSizeBox, ByteText("1024"));
       NormalCut(t.ui, t.state);
     },
     {9, kLargeBytes},
     {"book-1.txt", "book-2.txt", "book-3.txt", "book-4.txt", "book-5.txt", "book-6.txt",
      "book-7.txt", "book-8.txt", "book-9.txt"},
     3},
    {"chapter_cut_large",
     [](HandlerTest&, LongWork& t) {
       t.ui.ChooseFile(names::kNormalDialog, t.PutInput("book.txt", LargeText()));
       OpenForNormalCut(t.ui, t.state);
       ChapterSearch(t.ui, t.state);
       ChapterCut(t.ui, t.state);
     },
     {kLargeChapters + 1, kLargeBytes},
     LargeChapterNames(),
     5},
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
  EXPECT_EQ(ui.longWork.back().files, GetParam().size.files);
  EXPECT_EQ(ui.longWork.back().bytes, GetParam().size.bytes);
  EXPECT_EQ(ui.longWorkDone.back().files, GetParam().size.files);
  EXPECT_EQ(ui.longWorkDone.back().bytes, GetParam().size.bytes);
  EXPECT_NE(ui.messages().back().content, messages::Cancelled());
  // Whichever thread wrote a file, the files joined (banners left out) are the text.
  if (std::string_view(GetParam().name).ends_with("_large")) {
    std::string joined;
    for (const std::string& name : NativeNames(GetParam().allFiles)) {
      const std::string bytes = ReadBytes(out / name).value_or("");
      ASSERT_GE(bytes.size(), state.bannerText.size()) << name;
      joined += bytes.substr(0, bytes.size() - state.bannerText.size());
    }
    // Numbered names sort as text, not as numbers: join them in number order.
    if (std::string_view(GetParam().name) == "chapter_cut_large") {
      joined.clear();
      for (int i = 0; i <= kLargeChapters; ++i) {
        const std::string bytes = ReadBytes(out / ("book-" + std::to_string(i) + ".txt")).value();
        joined += bytes.substr(0, bytes.size() - state.bannerText.size());
      }
    }
    EXPECT_TRUE(joined == LargeText());
  }
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
