// SPDX-License-Identifier: MIT
// The 批量 window through the in-memory toolkit: its list says of each file what
// morvane-cli epub's line says, and the book of a ticked file is the command line's, byte
// for byte.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/wiring.h"
#include "core/encoding.h"
#include "memory_toolkit.h"
#include "presenters/control_names.h"
#include "run_program.h"
#include "test_files.h"

namespace morvane::testing {
namespace {

namespace n = morvane::names;

// The tab-separated fields of a line.
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
  return fields;
}

class BatchWindow : public ::testing::Test {
 protected:
  BatchWindow() {
    app::BindEvents(ui, state);
    std::filesystem::create_directories(FileSystemPath(dir / "in"));
    std::filesystem::create_directories(FileSystemPath(dir / "out"));
    std::filesystem::create_directories(FileSystemPath(dir / "cli"));
    // Listed in natural order: 2 before 10. The short one has a single heading, a map
    // that looks wrong.
    WriteBytes(dir / "in/10 阿Q正传.txt",
               ReadBytes(MORVANE_TEST_DATA_DIR "/a-q-zhengzhuan.gbk.txt").value());
    WriteBytes(dir / "in/2 短篇.txt", "作者：某人\n第一章 开端\n他走进了雨里。\n");
    WriteBytes(dir / "in/notes.md", "no text of the batch");
    ui.SetPath(n::kSaveLocationBox, PathFromUtf8(dir / "out"));
  }
  // Lists the folder, then plays the user with then.
  void Open(const std::function<void()>& then) {
    ui.whileWindowOpen = [&] {
      ui.ChooseFile(n::kBatchDialog, dir.at("in/10 阿Q正传.txt"));
      ui.Click(n::kBatchFolderButton);
      then();
    };
    ui.Click(n::kBatchButton);
    ui.whileWindowOpen = nullptr;
  }
  std::string Cell(int row, int column) const { return ui.Rows(n::kBatchList)->Cell(row, column); }

  ScratchFolder dir;
  MemoryToolkit ui;
  AppState state;
};

TEST_F(BatchWindow, ListsAsTheCommandLineAndWritesItsBookOfTheTickedFiles) {
  const ProgramRun cli = RunProgram(
      MORVANE_CLI_PATH, {"epub", "in/2 短篇.txt", "in/10 阿Q正传.txt", "--out", "cli"}, dir.path());
  std::vector<std::vector<std::string>> lines;
  std::istringstream out(cli.out);
  for (std::string line; std::getline(out, line);) lines.push_back(Fields(line));
  ASSERT_EQ(lines.size(), 2u) << cli.out << cli.err;

  Open([&] {
    ASSERT_EQ(ui.Rows(n::kBatchList)->Count(), 2);
    EXPECT_EQ(Cell(0, n::kBatchFileColumn), "2 短篇.txt");
    EXPECT_EQ(Cell(1, n::kBatchFileColumn), "10 阿Q正传.txt");
    for (int row = 0; row < 2; ++row) {
      SCOPED_TRACE(row);
      const std::vector<std::string>& line = lines[static_cast<std::size_t>(row)];
      ASSERT_EQ(line.size(), 5u);
      EXPECT_EQ(Cell(row, n::kBatchEncodingColumn), EncodingLabel(*EncodingFromName(line[1])));
      EXPECT_EQ(Cell(row, n::kBatchChaptersColumn) + " 章", line[2]);
      EXPECT_EQ(Cell(row, n::kBatchDoubtColumn), line[3]);
    }
    EXPECT_EQ(Cell(1, n::kBatchEncodingColumn), "GBK");
    EXPECT_NE(Cell(0, n::kBatchDoubtColumn).find("目录可能有误"), std::string::npos);
    EXPECT_TRUE(ui.Rows(n::kBatchList)->Marked(0));
    EXPECT_FALSE(ui.Rows(n::kBatchList)->Marked(1));
    EXPECT_EQ(ui.Ticks(n::kBatchList), (std::vector<bool>{true, true}));

    ui.Tick(n::kBatchList, 0);
    ui.Click(n::kBatchConvertButton);
    EXPECT_EQ(Cell(0, n::kBatchResultColumn), "");
    EXPECT_EQ(Cell(1, n::kBatchResultColumn), "已生成");
    ui.Click(n::kBatchCloseButton);
  });
  const std::vector<MemoryToolkit::Message> said = ui.TakeMessages();
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0].content, "已生成 1 本EPUB。");
  EXPECT_EQ(FolderNames(dir / "out"), std::vector<std::string>{"10 阿Q正传.epub"});
  EXPECT_EQ(ReadBytes(dir / "out/10 阿Q正传.epub"), ReadBytes(dir / "cli/10 阿Q正传.epub"));
  EXPECT_FALSE(ui.IsOpen(n::kBatchWindow));
}

// 取消 stops before the next file: the books written stay, the rest are left and told, and
// a doubtful map is named as needing a look.
// Files dropped on the list replace it, in the order the toolkit gives them.
TEST_F(BatchWindow, CancelStopsBeforeTheNextFileAndDropsReplaceTheList) {
  Open([&] {
    ui.stopAfterFiles = 1;
    ui.Click(n::kBatchConvertButton);
    ui.stopAfterFiles = -1;
    EXPECT_EQ(Cell(0, n::kBatchResultColumn), "已生成");
    EXPECT_EQ(Cell(1, n::kBatchResultColumn), "");
    ui.Drop(n::kBatchList, {dir.at("in/10 阿Q正传.txt")});
    ASSERT_EQ(ui.Rows(n::kBatchList)->Count(), 1);
    EXPECT_EQ(Cell(0, n::kBatchFileColumn), "10 阿Q正传.txt");
  });
  const std::vector<MemoryToolkit::Message> said = ui.TakeMessages();
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0].content,
            "已生成 1 本EPUB，已取消，未转换 1 个。\r\n需要查看：\r\n2 短篇.txt：目录可能有误（0 "
            "个有提示）");
  EXPECT_EQ(FolderNames(dir / "out"), std::vector<std::string>{"2 短篇.epub"});
}

}  // namespace
}  // namespace morvane::testing
