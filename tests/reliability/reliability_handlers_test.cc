// The engine's handlers, driven as the desktop drives them, when files and folders go
// wrong between the user's choice and the work: an input that changes or vanishes after
// it was read, an input that cannot be read at all, a save folder that is gone or
// read-only, writes that fail half-way, and memory that runs out while a file is read.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/files.h"
#include "core/gbk.h"
#include "engine/chapter_cutting.h"
#include "engine/merging.h"
#include "engine/messages.h"
#include "engine/size_cutting.h"
#include "handler_fixture.h"
#include "presenters/chapter_cutting.h"
#include "presenters/merging.h"
#include "presenters/size_cutting.h"
#include "sandbox.h"

namespace morvane::testing {
namespace {

std::string Utf8(const ByteText& text) {
  return Utf8FromGbk(text.view());
}

// A text with headings and double-byte characters, long enough for several pieces.
std::string Book() {
  std::string text = GbkBytes("序言\r\n");
  for (int chapter = 1; chapter <= 5; ++chapter) {
    text += GbkBytes("第") + std::to_string(chapter) + GbkBytes("章　开端\r\n");
    for (int line = 0; line < 12; ++line) text += GbkBytes("正文，一行字。") + "\r\n";
  }
  return text;
}

class ReliableHandlers : public HandlerTest {
 protected:
  struct Operation {
    const char* name;
    const char* prefix;
    std::function<void()> run;
  };

  // The four writing operations on what was opened, each under its own prefix. Each
  // ends with one message, the last one shown.
  std::vector<Operation> Operations() {
    return {
        {"simple cut", "s",
         [this] {
           ui.Type(names::kSimplePieceBytesBox, ByteText("300"));
           SimpleCut(ui, state);
         }},
        {"normal cut", "n",
         [this] {
           ui.Type(names::kCutSizeBox, ByteText("1"));
           NormalCut(ui, state);
         }},
        {"chapter cut", "c",
         [this] {
           ChapterSearch(ui, state);
           ChapterCut(ui, state);
         }},
        {"merge", "m", [this] { MergeFiles(ui, state); }},
    };
  }
  ByteText RunAndTakeLastMessage(const Operation& op) {
    ui.SetText(names::kPrefixBox, ByteText(op.prefix));
    ui.TakeMessages();
    op.run();
    auto shown = ui.TakeMessages();
    return shown.empty() ? ByteText("<no message>") : shown.back().content;
  }

  // Opens path for the simple cut, the normal cut and as row 1 of the merge (row 2 is a
  // small file of its own).
  void OpenEverywhere(const ByteText& path) {
    ui.ChooseFile(names::kSimpleDialog, path);
    OpenForSimpleCut(ui, state);
    ui.ChooseFile(names::kNormalDialog, path);
    OpenForNormalCut(ui, state);
    ui.ChooseFile(names::kMergeDialog, path);
    OpenMergeFile(ui, state, 1);
    ui.ChooseFile(names::kMergeDialog, PutInput("second.txt", "[second]"));
    OpenMergeFile(ui, state, 2);
  }

  // The texts of the files folder/prefix-first.txt, prefix-(first+1).txt, ... joined, each
  // without its banner; "" when one of them lacks the banner.
  std::string Joined(const std::string& folder, const std::string& prefix, int first) {
    std::string all;
    const std::string banner(BannerConstant().view());
    for (int n = first;; ++n) {
      auto bytes = ReadBytes(folder + "/" + prefix + "-" + std::to_string(n) + ".txt");
      if (!bytes) return all;
      if (!bytes->ends_with(banner)) return "<file " + std::to_string(n) + " without banner>";
      all += bytes->substr(0, bytes->size() - banner.size());
    }
  }
};

// What the desktop works on is the text read when the file was chosen: a file changed,
// cut short, deleted or replaced by a folder afterwards changes no output.
TEST_F(ReliableHandlers, TheTextIsTheOneReadWhenTheFileWasChosen) {
  const std::string book = Book();
  const std::vector<std::pair<const char*, std::function<void(const std::string&)>>> changes = {
      {"rewritten", [](const std::string& p) { WriteBytes(p, "something else entirely"); }},
      {"truncated", [](const std::string& p) { ::truncate(p.c_str(), 0); }},
      {"deleted", [](const std::string& p) { ::unlink(p.c_str()); }},
      {"replaced by a folder",
       [](const std::string& p) {
         ::unlink(p.c_str());
         ::mkdir(p.c_str(), 0755);
       }},
  };
  for (const auto& [what, change] : changes) {
    SCOPED_TRACE(what);
    ScratchFolder results;
    ui.SetText(names::kSaveLocationBox, results.gbk());
    const ByteText path = PutInput("book.txt", book);
    OpenEverywhere(path);
    ASSERT_TRUE(ui.TakeMessages().empty());
    change(in / "book.txt");

    for (const Operation& op : Operations()) {
      SCOPED_TRACE(op.name);
      ByteText last = RunAndTakeLastMessage(op);
      EXPECT_TRUE(last == messages::CutFinished() || last == messages::ChapterCutFinished() ||
                  last == messages::MergeFinished())
          << Utf8(last);
    }
    EXPECT_EQ(Joined(results.path(), "s", 1), book);
    EXPECT_EQ(Joined(results.path(), "n", 1), book);
    EXPECT_EQ(Joined(results.path(), "c", 0), book);
    EXPECT_EQ(ReadBytes(results / "m已合并.txt"), book + "[second]" + WithBanner(""));
    ::rmdir((in / "book.txt").c_str());
  }
}

// A choice that cannot be read is named, with why, and leaves every earlier choice as it
// was: the text on the simple-cut page, the file of the cut page, the merge rows.
TEST_F(ReliableHandlers, AChoiceThatCannotBeReadIsNamedAndChangesNothing) {
  OpenEverywhere(PutInput("good.txt", "the good text"));
  ui.TakeMessages();

  const std::string folder = in / "folder.txt";
  ::mkdir(folder.c_str(), 0755);
  MakeSparseFile(in / "huge.txt", std::int64_t{1} << 31, "abc");
  MakeSparseFile(in / "huger.txt", (std::int64_t{1} << 32) + 3, "abc");
  for (const char* name : {"folder.txt", "huge.txt", "huger.txt", "never-there.txt"}) {
    SCOPED_TRACE(name);
    const ByteText path = Concat({in.gbk(), ByteText("/"), ByteText(name)});
    for (auto dialog : {names::kSimpleDialog, names::kNormalDialog, names::kMergeDialog})
      ui.ChooseFile(dialog, path);
    OpenForSimpleCut(ui, state);
    OpenForNormalCut(ui, state);
    OpenMergeFile(ui, state, 1);
    auto shown = ui.TakeMessages();
    ASSERT_EQ(shown.size(), 3u);
    for (const auto& message : shown) EXPECT_TRUE(Contains(message.content, path.view()));
    EXPECT_EQ(ui.Text(names::kSimpleText), ByteText("the good text"));
    EXPECT_EQ(state.cut.normalText, ByteText("the good text"));
    EXPECT_EQ(state.merge.mergeText[1], ByteText("the good text"));
    EXPECT_EQ(ui.Text(names::kPrefixBox), ByteText("good"));
  }
}

// The save folder was chosen, then deleted (or unmounted, or renamed) before the work.
TEST_F(ReliableHandlers, ASaveFolderGoneSinceItWasChosenIsNamedAndNotRecreated) {
  const std::string gone = out / "chosen";
  ::mkdir(gone.c_str(), 0755);
  const ByteText folder = Concat({out.gbk(), ByteText("/chosen")});
  ui.SetText(names::kSaveLocationBox, folder);
  OpenEverywhere(PutInput("book.txt", Book()));
  ::rmdir(gone.c_str());
  for (const Operation& op : Operations()) {
    SCOPED_TRACE(op.name);
    EXPECT_EQ(RunAndTakeLastMessage(op), messages::FolderNotWritable(out.at("chosen")));
    EXPECT_TRUE(FolderNames(out.path()).empty());
  }
}

// Tests run as root, whom file modes do not stop: only a read-only mount does.
TEST_F(ReliableHandlers, AReadOnlySaveFolderIsNamedAndKeepsItsFiles) {
  WriteBytes(out / "s-1.txt", "older");
  std::string why;
  if (!MakeReadOnly(out.path(), &why)) GTEST_SKIP() << "no read-only mount: " << why;
  OpenEverywhere(PutInput("book.txt", Book()));
  for (const Operation& op : Operations()) {
    SCOPED_TRACE(op.name);
    EXPECT_EQ(RunAndTakeLastMessage(op), messages::FolderNotWritable(out.native()));
  }
  EXPECT_EQ(FolderNames(out.path()), std::vector<std::string>{"s-1.txt"});
  EXPECT_EQ(ReadBytes(out / "s-1.txt"), "older");
  Unmount(out.path());
}

// Write faults from the second write system call on, with the errno of each way a disk
// refuses: the first file is whole, the older file that a failed write would have
// replaced keeps its bytes, no temporary file is left, and the message names the first
// file that failed and why.
int faultErrno = 0;
int writeCalls = 0;
int FailFromTheSecondWrite(std::size_t) {
  return ++writeCalls >= 2 ? faultErrno : 0;
}

TEST_F(ReliableHandlers, FailedWritesLeaveWholeFilesAndNameTheFirstFailure) {
  const std::string book = Book();
  OpenEverywhere(PutInput("book.txt", book));
  for (int error : {ENOSPC, EFBIG, EROFS, EACCES, EIO, EDQUOT}) {
    SCOPED_TRACE(std::strerror(error));
    for (const Operation& op : Operations()) {
      SCOPED_TRACE(op.name);
      ScratchFolder results;
      ui.SetText(names::kSaveLocationBox, results.gbk());
      const std::string prefix = op.prefix;
      const bool merge = prefix == "m";
      // The merge writes one file: it fails at once.
      writeCalls = merge ? 1 : 0;
      const std::string second =
          merge ? "m已合并.txt" : prefix + (prefix == "c" ? "-1" : "-2") + ".txt";
      WriteBytes(results / second, "older");
      WriteBytes(results / (prefix + "-99.txt"), "older");

      faultErrno = error;
      SetWriteFaults({&FailFromTheSecondWrite});
      ByteText last = RunAndTakeLastMessage(op);
      SetWriteFaults({});

      EXPECT_TRUE(last.view().starts_with(GbkBytes("有"))) << Utf8(last);
      EXPECT_TRUE(Contains(last, GbkBytes(results / second))) << Utf8(last);
      EXPECT_TRUE(Contains(last, messages::Reason(PosixError(error, FileOperation::kWrite)).view()))
          << Utf8(last);
      EXPECT_EQ(ReadBytes(results / second), "older");
      EXPECT_EQ(ReadBytes(results / (prefix + "-99.txt")), "older");
      std::vector<std::string> left = FolderNames(results.path());
      std::vector<std::string> expected = {second, prefix + "-99.txt"};
      if (!merge) expected.push_back(prefix + (prefix == "c" ? "-0" : "-1") + ".txt");
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(left, expected);
      if (!merge) {
        const std::string first = results / (prefix + (prefix == "c" ? "-0" : "-1") + ".txt");
        EXPECT_TRUE(ReadBytes(first).value_or("").ends_with(BannerConstant().view()));
      }
    }
  }
}

// A file larger than the memory left: the read fails, the user is told which file, and
// the program goes on. Runs in a child whose address space ends 64 MiB above what it uses,
// with a file of 96 MiB.
TEST_F(ReliableHandlers, AFileTooLargeForMemoryIsNamedAndChangesNothing) {
  if (kBuiltWithAsan) GTEST_SKIP() << "AddressSanitizer cannot run under RLIMIT_AS";
  OpenEverywhere(PutInput("good.txt", "the good text"));
  ui.TakeMessages();
  const std::string big = in / "big.txt";
  {
    int fd = ::open(big.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    const std::string chunk(1 << 20, 'a');
    for (int i = 0; i < 96; ++i)
      ASSERT_EQ(::write(fd, chunk.data(), chunk.size()), ssize_t(chunk.size()));
    ::close(fd);
  }
  const ByteText path = Concat({in.gbk(), ByteText("/big.txt")});

  ChildLimits limits;
  limits.addressSpace = AddressSpaceBytes() + (64u << 20);
  ProcessResult child = RunInChild(
      [&] {
        ui.ChooseFile(names::kNormalDialog, path);
        OpenForNormalCut(ui, state);
        auto shown = ui.TakeMessages();
        if (shown.size() != 1 || !Contains(shown[0].content, path.view()) ||
            !shown[0].content.view().starts_with(GbkBytes("内存不足"))) {
          std::fprintf(stderr, "no out-of-memory message naming the file\n");
          return 1;
        }
        if (state.cut.normalText != ByteText("the good text")) {
          std::fprintf(stderr, "the earlier text was replaced\n");
          return 2;
        }
        return 0;
      },
      limits);
  EXPECT_TRUE(child.exited && child.exitCode == 0) << child.Describe();
}

}  // namespace
}  // namespace morvane::testing
