// Every window as the in-memory toolkit builds it from its description, and the
// chapter-map window's handlers driven through it: the same handlers run on Qt and on
// Windows.

#include <gtest/gtest.h>

#include "app/chapter_map_window.h"
#include "app/windows.h"
#include "app/wiring.h"
#include "core/gbk.h"
#include "engine/chapter_map.h"
#include "memory_toolkit.h"
#include "test_files.h"
#include "presenters/control_names.h"
#include "window_check.h"

namespace morvane::testing {
namespace {

namespace app = morvane::app;

TEST(Windows, TheInMemoryToolkitBuildsEachAsDescribed) {
  MemoryToolkit ui;
  for (const ui::WindowDescription& window : app::WindowDescriptions()) {
    SCOPED_TRACE(std::string(window.name));
    // A dialog is built when it is loaded.
    if (window.frame == ui::Frame::kDialog) {
      bool checked = false;
      ui.whileWindowOpen = [&] {
        EXPECT_EQ(DifferencesFromDescription(ui, window), std::vector<std::string>{});
        checked = true;
      };
      ui.LoadWindow(window.name, names::kMainWindow, true);
      EXPECT_TRUE(checked);
    } else {
      EXPECT_EQ(DifferencesFromDescription(ui, window), std::vector<std::string>{});
    }
  }
}

// A preface and five chapters: 第三章 is missing, 第四章 comes twice, and a letter in the
// body looks like a heading to the written rule.
ByteText Novel() {
  std::string utf8 = "书名：测试\r\n";
  for (const char* heading :
       {"第一章 风起", "第二章 云涌", "第四章 夜雨", "第四章 续", "第五章 天明"}) {
    utf8 += std::string(heading) + "\r\n他翻开那本旧书。\r\n　　第一封信写的是文章的事。\r\n";
  }
  return GbkFromUtf8(utf8);
}

class ChapterMapWindow : public ::testing::Test {
 protected:
  ChapterMapWindow() {
    app::BindEvents(ui, state);
    state.cut.normalText = Novel();
    state.chapterSearchDone = 1;
    ui.SetText(names::kPrefixBox, ByteText("P"));
  }
  // Opens the map and plays the user with whileOpen.
  void Open(std::function<void()> whileOpen) {
    ui.whileWindowOpen = std::move(whileOpen);
    ui.Click(names::kChapterMapButton);
    ui.whileWindowOpen = nullptr;
  }
  std::string Cell(int row, int column) const {
    return ui.Rows(names::kMapList)->Cell(row, column);
  }
  std::string Summary() const { return Utf8FromGbk(ui.Text(names::kMapSummary).view()); }

  MemoryToolkit ui;
  AppState state;
};

TEST_F(ChapterMapWindow, ACorrectedMapIsKeptForTheCutAndShownAgain) {
  Open([&] {
    EXPECT_EQ(ui.focus(), names::kMapList);
    EXPECT_EQ(ui.Rows(names::kMapList)->Count(), 10);  // the letters too
    ui.Select(names::kMapRuleList, 1);                 // whole lines
    ASSERT_EQ(ui.Rows(names::kMapList)->Count(), 5);
    EXPECT_EQ(Cell(2, names::kTitleColumn), "第四章 夜雨");
    EXPECT_EQ(Cell(2, names::kFlagsColumn), "跳号");
    EXPECT_EQ(Cell(3, names::kNumberColumn), "4");
    EXPECT_TRUE(ui.Rows(names::kMapList)->Marked(3));
    EXPECT_FALSE(ui.Rows(names::kMapList)->Marked(0));
    EXPECT_EQ(Summary(), "共 5 个标题，2 个有提示，切分 5 处，将写出 6 个文件");
    ui.Tick(names::kMapList, 3);
    ui.Type(names::kMapPerFileBox, ByteText("2"));
    EXPECT_EQ(Summary(), "共 5 个标题，2 个有提示，切分 4 处，将写出 3 个文件");
    ui.Click(names::kMapByTitleRadio);
    EXPECT_FALSE(ui.Checked(names::kMapByNumberRadio));
    EXPECT_EQ(Utf8FromGbk(ui.Text(names::kMapPreview).view()),
              "文件名：P-0000.txt  P-0001 第一章 风起.txt  P-0002 第四章 夜雨.txt");
    ui.Click(names::kMapOkButton);
    EXPECT_FALSE(ui.IsOpen(names::kChapterMapWindow));
  });
  ASSERT_NE(state.chapterPlan, nullptr);
  EXPECT_EQ(state.chapterPlan->rule.kind, RuleKind::kLines);
  EXPECT_EQ(state.chapterPlan->choice.cut, (std::vector<bool>{true, true, true, false, true}));
  EXPECT_EQ(state.chapterPlan->choice.perFile, 2);
  EXPECT_EQ(state.chapterPlan->choice.names, NameStyle::kTitle);

  // Opened again, the window shows that choice; 取消 keeps it as it was.
  const auto kept = state.chapterPlan;
  Open([&] {
    EXPECT_EQ(ui.SelectedIndex(names::kMapRuleList), 1);
    EXPECT_EQ(ui.Ticks(names::kMapList), kept->choice.cut);
    EXPECT_EQ(ui.Text(names::kMapPerFileBox), ByteText("2"));
    EXPECT_TRUE(ui.Checked(names::kMapByTitleRadio));
    EXPECT_FALSE(ui.Checked(names::kMapByNumberRadio));
    ui.Tick(names::kMapList, 0);
    ui.Click(names::kMapCancelButton);
  });
  EXPECT_EQ(state.chapterPlan, kept);
}

// 生成EPUB makes the book of the map as corrected, with the details the window holds.
TEST_F(ChapterMapWindow, TheBookFollowsTheCorrectedMap) {
  ScratchFolder dir;
  ui.SetPath(names::kSaveLocationBox, dir.native());
  state.cut.normalPath = dir.at("书.txt");
  WriteBytes(dir / "cover.png", std::string("\x89PNG\r\n\x1A\n", 8));
  WriteBytes(dir / "cover.txt", "text");
  Open([&] {
    ui.Select(names::kMapRuleList, 1);
    ui.Tick(names::kMapList, 3);  // 第四章 续 joins 第四章 夜雨
    ui.Click(names::kMapOkButton);
  });
  ui.whileWindowOpen = [&] {
    EXPECT_EQ(Utf8FromGbk(ui.Text(names::kEpubTitleBox).view()), "书");
    EXPECT_EQ(Utf8FromGbk(ui.Text(names::kEpubSummary).view()), "目录：4 章");
    ui.Type(names::kEpubTitleBox, GbkFromUtf8("新书"));
    ui.Type(names::kEpubAuthorBox, GbkFromUtf8("某人"));
    for (const char* cover : {"cover.txt", "cover.png"}) {
      ui.ChooseWithoutDialog(names::kEpubCoverDialog, dir.at(cover));
      ui.Click(names::kEpubCoverButton);
      ui.Click(names::kEpubOkButton);
    }
    EXPECT_FALSE(ui.IsOpen(names::kEpubWindow));
  };
  ui.Click(names::kEpubButton);
  const std::vector<MemoryToolkit::Message> said = ui.TakeMessages();
  ASSERT_EQ(said.size(), 2u);
  EXPECT_NE(said[0].content.find("JPEG或PNG"), std::string::npos) << said[0].content;
  EXPECT_EQ(said[1].content, "EPUB已生成！");
  const std::string book = ReadBytes(dir / "P.epub").value_or("");
  EXPECT_NE(book.find("OEBPS/cover.png"), std::string::npos);
  // The text before the first heading and four chapters: the unticked one is in the third.
  EXPECT_NE(book.find("OEBPS/c4.xhtml"), std::string::npos);
  EXPECT_EQ(book.find("OEBPS/c5.xhtml"), std::string::npos);
}

TEST_F(ChapterMapWindow, ARegularExpressionIsAppliedByEnterOrTheButton) {
  Open([&] {
    EXPECT_FALSE(ui.Enabled(names::kMapPatternBox));
    ui.Enter(names::kMapPatternBox);  // refused while the box takes no input
    EXPECT_EQ(ui.Rows(names::kMapList)->Count(), 10);
    ui.Select(names::kMapRuleList, 2);
    EXPECT_TRUE(ui.Enabled(names::kMapPatternBox));
    EXPECT_TRUE(ui.Enabled(names::kMapApplyButton));
    EXPECT_EQ(ui.focus(), names::kMapPatternBox);
    ui.Type(names::kMapPatternBox, GbkFromUtf8("^第.章 [风云]"));
    ui.Enter(names::kMapPatternBox);
    EXPECT_EQ(ui.Rows(names::kMapList)->Count(), 2);
    ui.Type(names::kMapPatternBox, GbkFromUtf8("(第"));
    ui.Click(names::kMapApplyButton);
    EXPECT_EQ(ui.TakeMessages().size(), 1u);  // the rule is refused, the map stays
    EXPECT_EQ(ui.Rows(names::kMapList)->Count(), 2);
    ui.Select(names::kMapRuleList, 0);
    EXPECT_FALSE(ui.Enabled(names::kMapApplyButton));
    EXPECT_EQ(ui.Rows(names::kMapList)->Count(), 10);
  });
  EXPECT_EQ(state.chapterPlan, nullptr);
}

}  // namespace
}  // namespace morvane::testing
