// SPDX-License-Identifier: MIT
// Every window as the in-memory toolkit builds it from its description, and the
// chapter-map window's handlers driven through it: the same handlers run on Qt and on
// Windows.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/chapter_map_window.h"
#include "app/windows.h"
#include "app/wiring.h"
#include "core/gbk.h"
#include "engine/chapter_map.h"
#include "engine/messages.h"
#include "engine/script_conversion.h"
#include "memory_toolkit.h"
#include "presenters/control_names.h"
#include "presenters/line_cleaning.h"
#include "test_files.h"
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
      ui.LoadWindow(Window(window.name), names::kMainWindow, true);
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
  std::vector<std::string> Titles() const {
    std::vector<std::string> titles;
    for (int row = 0; row < ui.Rows(names::kMapList)->Count(); ++row) {
      titles.push_back(Cell(row, names::kTitleColumn));
    }
    return titles;
  }
  // The names of the files the confirmed map cuts into.
  std::vector<std::string> FileNames() const {
    const ChapterFiles files(*state.chapterPlan, Path("P"), 255);
    std::vector<std::string> names;
    for (std::size_t k = 0; k < files.size(); ++k) names.push_back(files.Name(k).native());
    return names;
  }

  MemoryToolkit ui;
  AppState state;
};

TEST_F(ChapterMapWindow, ACorrectedMapIsKeptForTheCutAndShownAgain) {
  Open([&] {
    EXPECT_EQ(ui.focus(), names::kMapList.name());
    EXPECT_EQ(ui.Rows(names::kMapList)->Count(), 10);  // the letters too
    ui.Select(names::kMapRuleList, names::kLinesItem);
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
    EXPECT_EQ(ui.SelectedIndex(names::kMapRuleList), names::kLinesItem);
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
  WriteBytes(dir / "cover.png", ReadBytes(MORVANE_TEST_DATA_DIR "/cover.png").value());
  WriteBytes(dir / "signature.png", std::string("\x89PNG\r\n\x1A\n", 8));
  WriteBytes(dir / "cover.txt", "text");
  Open([&] {
    ui.Select(names::kMapRuleList, names::kLinesItem);
    ui.Tick(names::kMapList, 3);  // 第四章 续 joins 第四章 夜雨
    ui.Click(names::kMapOkButton);
  });
  ui.whileWindowOpen = [&] {
    EXPECT_EQ(ui.Text(names::kEpubTitleBox).view(), "测试");  // its 书名 line, in UTF-8
    EXPECT_EQ(Utf8FromGbk(ui.Text(names::kEpubSummary).view()), "目录：4 章");
    ui.Type(names::kEpubTitleBox, ByteText("新书"));
    ui.Type(names::kEpubAuthorBox, ByteText("某人"));
    // A cover chosen can be taken back.
    ui.ChooseWithoutDialog(names::kEpubCoverDialog, dir.at("cover.png"));
    ui.Click(names::kEpubCoverButton);
    ui.Click(names::kEpubClearCoverButton);
    EXPECT_EQ(ui.PathIn(names::kEpubCoverBox), std::nullopt);
    for (const char* cover : {"cover.txt", "signature.png", "cover.png"}) {
      ui.ChooseWithoutDialog(names::kEpubCoverDialog, dir.at(cover));
      ui.Click(names::kEpubCoverButton);
      ui.Click(names::kEpubOkButton);
    }
    EXPECT_FALSE(ui.IsOpen(names::kEpubWindow));
  };
  ui.Click(names::kEpubButton);
  const std::vector<MemoryToolkit::Message> said = ui.TakeMessages();
  ASSERT_EQ(said.size(), 3u);
  EXPECT_NE(said[0].content.find("JPEG或PNG"), std::string::npos) << said[0].content;
  EXPECT_NE(said[1].content.find("原因："), std::string::npos) << said[1].content;
  EXPECT_EQ(said[2].content, "EPUB已生成：P.epub");
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
    ui.Select(names::kMapRuleList, names::kRegexItem);
    EXPECT_TRUE(ui.Enabled(names::kMapPatternBox));
    EXPECT_TRUE(ui.Enabled(names::kMapApplyButton));
    EXPECT_EQ(ui.focus(), names::kMapPatternBox.name());
    ui.Type(names::kMapPatternBox, ByteText("^第.章 [风云]"));  // the box holds UTF-8
    ui.Enter(names::kMapPatternBox);
    EXPECT_EQ(ui.Rows(names::kMapList)->Count(), 2);
    ui.Type(names::kMapPatternBox, ByteText("(第"));
    ui.Click(names::kMapApplyButton);
    EXPECT_EQ(ui.TakeMessages().size(), 1u);  // the rule is refused, the map stays
    EXPECT_EQ(ui.Rows(names::kMapList)->Count(), 2);
    ui.Select(names::kMapRuleList, names::kNearItem);
    EXPECT_FALSE(ui.Enabled(names::kMapApplyButton));
    EXPECT_EQ(ui.Rows(names::kMapList)->Count(), 10);
  });
  EXPECT_EQ(state.chapterPlan, nullptr);
}

TEST_F(ChapterMapWindow, TheAutomaticRuleIsOfferedWhenTheMapLooksWrong) {
  std::string clean;
  for (const char* heading : {"第一章 风起", "第二章 云涌", "第三章 夜雨"}) {
    clean += std::string(heading) + "\r\n他翻开那本旧书，读了很久。\r\n";
  }
  struct Case {
    ByteText text;
    std::string offer;  // empty: none
  };
  const Case cases[] = {
      // The letters in the body are headings to the written rule.
      {Novel(), "这份目录可能有误（10 个标题，2 个有提示）；智能规则找到 5 章"},
      {GbkFromUtf8(clean), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offer);
    state.cut.normalText = c.text;
    Open([&] {
      EXPECT_EQ(Utf8FromGbk(ui.ComboItemText(names::kMapRuleList, names::kAutoItem).view()),
                "智能");
      EXPECT_EQ(ui.SelectedIndex(names::kMapRuleList), names::kNearItem);
      EXPECT_EQ(ui.Visible(names::kMapAutoHint), !c.offer.empty());
      EXPECT_EQ(ui.Visible(names::kMapAutoButton), !c.offer.empty());
      if (c.offer.empty()) return;
      EXPECT_EQ(Utf8FromGbk(ui.Text(names::kMapAutoHint).view()), c.offer);
      ui.Click(names::kMapAutoButton);
      EXPECT_EQ(ui.Rows(names::kMapList)->Count(), 5);
      EXPECT_EQ(ui.SelectedIndex(names::kMapRuleList), names::kAutoItem);
      EXPECT_FALSE(ui.Visible(names::kMapAutoHint));
      ui.Click(names::kMapOkButton);
    });
    if (!c.offer.empty()) {
      EXPECT_EQ(state.chapterPlan->rule.kind, RuleKind::kAuto);
    }
    state.chapterPlan = nullptr;
  }
}

// Each correction of the map reaches the names of the files cut, and undo takes it back.
TEST_F(ChapterMapWindow, EachCorrectionReachesTheCutAndUndoTakesItBack) {
  struct Case {
    const char* edit;
    std::function<void(MemoryToolkit&)> make;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"untick",
       [](MemoryToolkit& ui) { ui.Tick(names::kMapList, 3); },
       {"P-0000.txt", "P-0001 第一章 风起.txt", "P-0002 第二章 云涌.txt", "P-0003 第四章 夜雨.txt",
        "P-0004 第五章 天明.txt"}},
      {"rename",
       [](MemoryToolkit& ui) {
         ui.ChooseRow(names::kMapList, 1);
         ui.Type(names::kMapTitleBox, ByteText("第二章 云起"));
         ui.Click(names::kMapRenameButton);
       },
       {"P-0000.txt", "P-0001 第一章 风起.txt", "P-0002 第二章 云起.txt", "P-0003 第四章 夜雨.txt",
        "P-0004 第四章 续.txt", "P-0005 第五章 天明.txt"}},
      {"add a heading",
       [](MemoryToolkit& ui) {
         ui.ChooseRow(names::kMapList, 0);
         ui.ChooseRow(names::kMapLines, 1);
         ui.Click(names::kMapAddButton);
       },
       {"P-0000.txt", "P-0001 第一章 风起.txt", "P-0002 他翻开那本旧书。.txt",
        "P-0003 第二章 云涌.txt", "P-0004 第四章 夜雨.txt", "P-0005 第四章 续.txt",
        "P-0006 第五章 天明.txt"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.edit);
    Open([&] {
      ui.Select(names::kMapRuleList, names::kLinesItem);
      ui.Click(names::kMapByTitleRadio);
      const std::vector<std::string> titles = Titles();
      const std::vector<bool> ticks = ui.Ticks(names::kMapList);
      EXPECT_FALSE(ui.Enabled(names::kMapUndoButton));
      c.make(ui);
      EXPECT_TRUE(ui.Enabled(names::kMapUndoButton));
      ui.Click(names::kMapUndoButton);
      EXPECT_EQ(Titles(), titles);
      EXPECT_EQ(ui.Ticks(names::kMapList), ticks);
      EXPECT_FALSE(ui.Enabled(names::kMapUndoButton));
      c.make(ui);
      ui.Click(names::kMapOkButton);
    });
    EXPECT_EQ(FileNames(), c.names);
    state.chapterPlan = nullptr;
  }
  // A line where a chapter begins already is refused.
  Open([&] {
    ui.ChooseRow(names::kMapList, 0);
    ui.ChooseRow(names::kMapLines, 0);
    ui.Click(names::kMapAddButton);
    EXPECT_EQ(ui.TakeMessages().at(0).content, messages::HeadingAlreadyThere());
    EXPECT_EQ(ui.Rows(names::kMapList)->Count(), 10);
  });
}

TEST_F(ChapterMapWindow, AMapIsSavedAndOpenedOrRefusedWithItsLine) {
  ScratchFolder folder;
  const Path saved = folder.at("目录.tsv");
  struct Case {
    std::string file;     // empty: the map saved
    std::string message;  // empty: the map is the corrected one
  };
  const Case cases[] = {
      {"", ""},
      {"1\t12\tx\n",
       "章节目录文件第1行有误：应是以TAB分隔的2到7列：序号 位置 长度 编号 标题 标记 "
       "卷，位置必填，序号、长度、编号为数字；目录没有改动"},
      {"\t12\n\n\t10\n", "章节目录文件第3行有误：位置应大于上一行的位置；目录没有改动"},
  };
  Open([&] {
    ui.Select(names::kMapRuleList, names::kLinesItem);
    ui.ChooseRow(names::kMapList, 0);
    ui.Type(names::kMapTitleBox, ByteText("开篇"));
    ui.Enter(names::kMapTitleBox);
    ui.Tick(names::kMapList, 3);
    ui.ChooseFile(names::kMapSaveDialog, saved);
    ui.Click(names::kMapSaveButton);
    EXPECT_EQ(ui.TakeMessages().at(0).content, messages::MapSaved(saved));
    for (const Case& c : cases) {
      SCOPED_TRACE(c.message);
      ui.Select(names::kMapRuleList, names::kNearItem);  // another map, to be replaced
      const Path opened = c.file.empty() ? saved : folder.at("改过.tsv");
      if (!c.file.empty()) WriteBytes(opened.native(), c.file);
      ui.ChooseFile(names::kMapOpenDialog, opened);
      ui.Click(names::kMapOpenButton);
      const auto messages = ui.TakeMessages();
      EXPECT_EQ(messages.empty() ? "" : messages[0].content, c.message);
      if (c.message.empty()) {
        EXPECT_EQ(Titles(),
                  (std::vector<std::string>{"开篇", "第二章 云涌", "第四章 夜雨", "第五章 天明"}));
      } else {
        EXPECT_EQ(ui.Rows(names::kMapList)->Count(), 10);  // the map before, as it was
      }
    }
  });
}

// The text and a map opened in the window are never outputs, whatever name reaches them:
// the map is not saved over the text, and a cut into the opened map's name is refused.
TEST_F(ChapterMapWindow, NeitherTheTextNorAnOpenedMapIsEverWrittenOver) {
  ScratchFolder dir;
  ui.SetPath(names::kSaveLocationBox, dir.native());
  state.cut.normalPath = dir.at("书.txt");
  WriteBytes(dir / "书.txt", "the text as the file holds it");
  std::filesystem::create_hard_link(FileSystemPath(dir / "书.txt"), FileSystemPath(dir / "同.txt"));
  Open([&] {
    ui.ChooseFile(names::kMapSaveDialog, dir.at("同.txt"));
    ui.Click(names::kMapSaveButton);
    EXPECT_NE(ui.TakeMessages().at(0).content.find("覆盖正在处理的文件"), std::string::npos);
    ui.ChooseFile(names::kMapSaveDialog, dir.at("P-1.txt"));
    ui.Click(names::kMapSaveButton);
    ui.TakeMessages();
    ui.ChooseFile(names::kMapOpenDialog, dir.at("P-1.txt"));
    ui.Click(names::kMapOpenButton);
    ui.Click(names::kMapOkButton);
  });
  const std::optional<std::string> map = ReadBytes(dir / "P-1.txt");
  ASSERT_TRUE(map);
  ui.Click(names::kChapterCutButton);
  EXPECT_NE(ui.TakeMessages().at(0).content.find("覆盖正在处理的文件"), std::string::npos);
  EXPECT_EQ(ReadBytes(dir / "P-1.txt"), map);
  EXPECT_EQ(ReadBytes(dir / "书.txt"), "the text as the file holds it");
  EXPECT_EQ(FolderNames(dir.path()).size(), 3u);
}

// The cleaning window on the simple-cut page: the kinds counted, a kind and a line
// unticked, a rule of the user's kept in the settings, and the box gets what is left.
class CleanWindow : public ::testing::Test {
 protected:
  CleanWindow() {
    app::BindEvents(ui, state);
    ui.SetTextEncoding(names::kSimpleText, Encoding::kUtf8);
    state.cut.simpleEncoding = {Encoding::kUtf8, false};
  }
  void Open(std::string_view button, std::function<void()> whileOpen) {
    ui.whileWindowOpen = std::move(whileOpen);
    ui.Click(button);
    ui.whileWindowOpen = nullptr;
  }
  std::string Cell(std::string_view list, int row, int column) const {
    return ui.Rows(list)->Cell(row, column);
  }

  MemoryToolkit ui;
  AppState state;
};

TEST_F(CleanWindow, UntickedKindsAndLinesStayAndTheRestGoes) {
  ui.SetText(names::kSimpleText,
             ByteText("第一章 风起\r\n第一章 风起\r\n\r\n\r\n请记住本站域名：a.com\r\n他走了。 \r\n"
                      "广告\r\n"));
  Open(names::kSimpleCleanButton, [&] {
    // Repeated title, blank line, junk, trailing space; indentation for three lines.
    EXPECT_EQ(Cell(names::kCleanKindList, 0, 1), "1");
    EXPECT_EQ(Cell(names::kCleanKindList, 1, 1), "1");
    EXPECT_EQ(Cell(names::kCleanKindList, 2, 1), "1");
    EXPECT_EQ(Cell(names::kCleanKindList, 3, 1), "1");
    EXPECT_EQ(Cell(names::kCleanKindList, 4, 1), "3");
    EXPECT_EQ(Cell(names::kCleanLineList, 0, 0), "1");
    // A rule of the user's, then the indentation unticked as a kind and the blank line alone.
    ui.Type(names::kCleanRulesBox, ByteText("广告\n"));
    ui.Click(names::kCleanFindButton);
    EXPECT_EQ(Cell(names::kCleanKindList, 0, 1), "2");
    EXPECT_EQ(Cell(names::kCleanKindList, 4, 1), "2");
    ui.Tick(names::kCleanKindList, 4);
    const std::vector<bool> ticks = ui.Ticks(names::kCleanLineList);
    EXPECT_EQ(std::count(ticks.begin(), ticks.end(), false), 2);
    for (int row = 0; row < ui.Rows(names::kCleanLineList)->Count(); ++row) {
      if (Cell(names::kCleanLineList, row, 1) == "多余空行") ui.Tick(names::kCleanLineList, row);
    }
    EXPECT_EQ(Utf8FromGbk(ui.Text(names::kCleanSummary).view()), "共7处，清理其中4处");
    // A new search ticks again none of what the user unticked.
    ui.Click(names::kCleanFindButton);
    EXPECT_EQ(Utf8FromGbk(ui.Text(names::kCleanSummary).view()), "共7处，清理其中4处");
    EXPECT_FALSE(ui.Ticks(names::kCleanKindList)[4]);
    ui.Click(names::kCleanOkButton);
    EXPECT_FALSE(ui.IsOpen(names::kCleanWindow));
  });
  EXPECT_EQ(ui.Text(names::kSimpleText).view(), "第一章 风起\r\n\r\n\r\n他走了。\r\n");
  EXPECT_EQ(ui.Setting(kJunkRulesSetting), "广告\n");
  // The rule is there when the window opens again; 取消 changes nothing.
  Open(names::kSimpleCleanButton, [&] {
    EXPECT_EQ(ui.Text(names::kCleanRulesBox).view(), "广告\n");
    ui.Click(names::kCleanCancelButton);
  });
  EXPECT_EQ(ui.Text(names::kSimpleText).view(), "第一章 风起\r\n\r\n\r\n他走了。\r\n");
}

// A large text is searched as long work: 取消 leaves the window without a list and the page's
// text as it was; left alone, the search shows what it found.
TEST_F(CleanWindow, ALargeTextIsSearchedAsLongWorkThatMayBeStopped) {
  const std::string line = "他走了。 \r\n";
  std::string text;
  while (static_cast<std::int64_t>(text.size()) <= kLongWorkBytes) text += line;
  state.cut.normalText = ByteText(text);
  state.cut.normalEncoding = {Encoding::kUtf8, false};
  ui.stopAfterFiles = 0;
  Open(names::kNormalCleanButton, [&] {
    EXPECT_EQ(ui.longWork.size(), 1u);
    EXPECT_EQ(ui.Rows(names::kCleanLineList), nullptr);
    // Nothing found is nothing to confirm: 确定 waits for a search.
    EXPECT_FALSE(ui.Enabled(names::kCleanOkButton));
    ui.Click(names::kCleanOkButton);
    EXPECT_TRUE(ui.IsOpen(names::kCleanWindow));
    ui.stopAfterFiles = -1;
    ui.Click(names::kCleanFindButton);
    EXPECT_EQ(Cell(names::kCleanKindList, 3, 1), std::to_string(text.size() / line.size()));
    EXPECT_TRUE(ui.Enabled(names::kCleanOkButton));
    ui.Click(names::kCleanCancelButton);
  });
  EXPECT_EQ(ui.longWork.size(), 2u);
  EXPECT_EQ(state.cut.normalText.view(), text);
}

// On the cut page, converted into simplified characters: Big5 cannot hold them, so the
// window suggests UTF-8 and the text of the page becomes UTF-8; its headings are searched
// anew.
TEST_F(CleanWindow, AConversionThatDoesNotFitAsksForAnotherEncoding) {
  if (!ScriptConversionAvailable()) GTEST_SKIP() << "built without OpenCC";
  state.cut.normalText = ByteText::Copy(Encode(Encoding::kBig5, u"頭髮乾燥了\r\n").bytes);
  state.cut.normalEncoding = {Encoding::kBig5, false};
  state.chapterSearchDone = 1;
  Open(names::kNormalCleanButton, [&] {
    ui.Select(names::kCleanIndentList, 2);   // 保留
    ui.Select(names::kCleanConvertList, 1);  // t2s
    ui.TakeMessages();
    ui.Click(names::kCleanOkButton);
    ASSERT_EQ(ui.TakeMessages().size(), 1u);
    EXPECT_TRUE(ui.IsOpen(names::kCleanWindow));
    EXPECT_EQ(ui.SelectedIndex(names::kCleanEncodingList), 3);
    ui.Click(names::kCleanOkButton);
  });
  EXPECT_EQ(state.cut.normalText.view(), "头发干燥了\r\n");
  EXPECT_EQ(state.cut.normalEncoding.encoding, Encoding::kUtf8);
  EXPECT_EQ(state.chapterSearchDone, 0);
}

// 保存编码 into another encoding carries characters only: a byte that is no character of
// the text's encoding stops 确定 with the file and the byte's position, as merge --to does.
TEST_F(CleanWindow, BytesThatAreNoCharacterAreNotConverted) {
  const std::string text = GbkBytes("第一章") + "\x80\r\n";
  state.cut.normalText = ByteText::Copy(text);
  state.cut.normalEncoding = {Encoding::kGbk, false};
  state.cut.normalPath = Path("g.txt");
  Open(names::kNormalCleanButton, [&] {
    ui.Select(names::kCleanEncodingList, 3);  // UTF-8
    ui.TakeMessages();
    ui.Click(names::kCleanOkButton);
    const auto messages = ui.TakeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].content.find("字节7处的字节不是GBK字符，不能转换为UTF-8"),
              std::string::npos)
        << messages[0].content;
    EXPECT_TRUE(ui.IsOpen(names::kCleanWindow));
    ui.Click(names::kCleanCancelButton);
  });
  EXPECT_EQ(state.cut.normalText.view(), text);
}

}  // namespace
}  // namespace morvane::testing
