// SPDX-License-Identifier: MIT
// What the chapter-map window says about a map and the user's choice.

#include <gtest/gtest.h>

#include "memory_toolkit.h"
#include "presenters/chapter_map_text.h"
#include "presenters/control_names.h"
#include "test_files.h"

namespace morvane::testing {
namespace {

ChapterMap FiveChapters() {
  std::string text;
  for (int i = 1; i <= 5; ++i) text += GbkBytes("第" + std::to_string(i < 3 ? i : i + 1) + "章\n");
  return BuildChapterMap(ByteText(text), std::get<std::vector<Heading>>(
                                             FindHeadings(ByteText(text), {RuleKind::kLines, {}})));
}

TEST(ChapterMapText, SummaryAndNamesFollowTheChoice) {
  MemoryToolkit ui;
  ui.SetText(names::kPrefixBox, ByteText("P"));
  const ChapterMap map = FiveChapters();
  struct Case {
    ChapterChoice choice;
    std::string summary;
    std::string preview;
  };
  const Case cases[] = {
      {{{}, 1, NameStyle::kNumber},
       "共 5 个标题，1 个有提示，切分 5 处，将写出 6 个文件",
       "文件名：P-0.txt  P-1.txt  P-2.txt  …"},
      // Unticked rows join the chapter before; two chapters go into each file.
      {{{true, false, true, true, false}, 2, NameStyle::kNumber},
       "共 5 个标题，1 个有提示，切分 3 处，将写出 3 个文件",
       "文件名：P-0.txt  P-1.txt  P-2.txt"},
      // A list shorter than the map: the rows beyond it are cut at.
      {{{false}, 1, NameStyle::kTitle},
       "共 5 个标题，1 个有提示，切分 4 处，将写出 5 个文件",
       "文件名：P-0000.txt  P-0001 第2章.txt  P-0002 第4章.txt  …"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MapSummary(map, c.choice), c.summary);
    EXPECT_EQ(NamePreview(ui, map, c.choice), c.preview);
  }
}

TEST(ChapterMapText, FlagsAndSizesInWords) {
  EXPECT_EQ(FlagWords(0), "");
  EXPECT_EQ(FlagWords(kGap | kLong | kInline), "跳号、过长、不在行首");
  // One unit down the column.
  EXPECT_EQ(SizeWords(1021), "1.0 K");
  EXPECT_EQ(SizeWords(100), "0.1 K");
  EXPECT_EQ(SizeWords(1536), "1.5 K");
  // Too small for a tenth of a K: the bytes, never "0.0 K".
  EXPECT_EQ(SizeWords(52), "0.1 K");
  EXPECT_EQ(SizeWords(51), "51 字节");
}

}  // namespace
}  // namespace morvane::testing
