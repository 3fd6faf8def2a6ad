// SPDX-License-Identifier: MIT
// Writing into a folder of the operating system: which folders count, and the question
// every writing operation asks before its first file goes there.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "core/gbk.h"
#include "core/system_folders.h"
#include "engine/chapter_cutting.h"
#include "engine/merging.h"
#include "engine/messages.h"
#include "engine/output_naming.h"
#include "handler_fixture.h"
#include "presenters/chapter_cutting.h"
#include "presenters/merging.h"
#include "presenters/output_steps.h"
#include "presenters/size_cutting.h"

namespace morvane::testing {
namespace {

namespace fs = std::filesystem;

TEST(SystemFolders, TheSystemsOwnFoldersAndWhatLiesBelowThem) {
  ScratchFolder dir;
  fs::create_directory_symlink("/etc", dir / "etc-link");
  fs::create_directory(dir / "own");
  const std::pair<std::string, bool> cases[] = {
      {"/", true},
      {"//", true},
      {"/usr", true},
      {"/usr/", true},
      {"/usr/share/doc", true},
      {"//usr//lib", true},
      {"/bin", true},
      {"/sbin", true},
      {"/lib", true},
      {"/etc", true},
      {"/boot", true},
      {"/proc/self", true},
      {"/sys", true},
      {"/dev/shm", true},
      {"/tmp/../usr", true},  // resolved
      {dir / "etc-link", true},
      {"/home", false},
      {"/usrdata", false},
      {"/tmp", false},
      {"/var/tmp", false},
      {"usr", false},
      {"", false},
      {dir / "own", false},
  };
  for (const auto& [path, system] : cases) EXPECT_EQ(IsSystemFolder(Path(path)), system) << path;
  EXPECT_TRUE(IsInsideFolder("/usr/lib", "/usr/"));
  EXPECT_FALSE(IsInsideFolder("/usr", "/usr/lib"));
  EXPECT_FALSE(IsInsideFolder("usr/lib", "/usr"));
}

// A save location inside /dev (a writable RAM disk that every user may write into).
class SystemFolderTest : public HandlerTest {
 protected:
  void SetUp() override {
    char name[] = "/dev/shm/morvane-test-XXXXXX";
    if (access("/dev/shm", W_OK) != 0 || mkdtemp(name) == nullptr) {
      GTEST_SKIP() << "no writable /dev/shm";
    }
    system_ = name;
    ui.SetPath(names::kSaveLocationBox, Path(system_));
  }
  void TearDown() override {
    if (!system_.empty()) fs::remove_all(system_);
  }
  std::string system_;
};

TEST_F(SystemFolderTest, EveryOperationAsksBeforeItsFirstFileAndANoWritesNothing) {
  ui.ChooseFile(names::kNormalDialog, PutInput("book.txt", GbkBytes("序\r\n第一章 起\r\n正文")));
  OpenForNormalCut(ui, state);
  ui.Type(names::kSimpleText, ByteText("text"));
  for (int row = 1; row <= 2; ++row) {
    std::string name = "m";
    name += std::to_string(row);
    ui.ChooseFile(names::kMergeDialog, PutInput(name, "x"));
    OpenMergeFile(ui, state, row);
  }
  ui.TakeMessages();
  ui.answers = {kAnswerNo, kAnswerNo, kAnswerNo, kAnswerNo};
  for (auto operation : {&SimpleCut, &NormalCut, &ChapterCut, &MergeFiles}) {
    state.chapterSearchDone = 1;
    operation(ui, state);
    const MemoryToolkit::Message asked = OnlyMessage();
    EXPECT_EQ(asked.flags, kYesNo);
    EXPECT_EQ(asked.content, messages::WriteIntoSystemFolder(Path(system_)));
    EXPECT_TRUE(FolderNames(system_).empty());
  }
  // A yes is remembered for that folder: the next operation asks no more.
  ASSERT_TRUE(ui.answers.empty());  // the next question is answered yes
  SimpleCut(ui, state);
  EXPECT_EQ(ui.TakeMessages().size(), 2u);  // the question, then the outcome
  EXPECT_EQ(FolderNames(system_).size(), 1u);
  MergeFiles(ui, state);
  EXPECT_NE(OnlyMessage().flags, kYesNo);
  EXPECT_EQ(FolderNames(system_).size(), 2u);
  // Another folder, and an ordinary one, are different matters.
  EXPECT_TRUE(ConfirmOutputFolder(ui, state, out.native()));
  ui.answers = {kAnswerNo};
  EXPECT_FALSE(ConfirmOutputFolder(ui, state, Path("/etc")));
  EXPECT_EQ(ui.TakeMessages().size(), 1u);
}

}  // namespace
}  // namespace morvane::testing
