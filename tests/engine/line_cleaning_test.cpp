// SPDX-License-Identifier: MIT
#include "engine/line_cleaning.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace morvane::testing {
namespace {

// Texts are written in UTF-8 and compared in each encoding's own bytes; their characters
// are ones every encoding holds (Big5 has no simplified ones).
std::string In(Encoding encoding, std::string_view utf8) {
  return Encode(encoding, Decode(Encoding::kUtf8, utf8).text).bytes;
}

struct Change {
  std::int64_t line;
  LineChangeKind kind;
};

struct Case {
  const char* text;
  const char* cleaned;
  std::vector<Change> changes;
};

std::shared_ptr<JunkRules> Rules(std::string_view utf8) {
  return std::make_shared<JunkRules>(std::get<JunkRules>(JunkRules::Parse(utf8)));
}

// For every encoding: the changes found, the text they make, and the same text from the
// cleaning a part at a time.
void Check(const LineCleaning& cleaning, std::span<const Case> cases) {
  for (Encoding encoding : kEncodings) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(EncodingName(encoding)) + ": " + c.text);
      const ByteText text = ByteText::Copy(In(encoding, c.text));
      const auto found = FindLineChanges(text, encoding, cleaning);
      const auto& changes = std::get<std::vector<LineChange>>(found);
      std::vector<std::pair<std::int64_t, LineChangeKind>> got;
      for (const LineChange& change : changes) got.emplace_back(change.line, change.kind);
      std::vector<std::pair<std::int64_t, LineChangeKind>> wanted;
      for (const Change& change : c.changes) wanted.emplace_back(change.line, change.kind);
      EXPECT_EQ(got, wanted);
      const ByteText made = WithChanges(text, encoding, cleaning.indentation, changes);
      EXPECT_EQ(made.view(), In(encoding, c.cleaned));
      std::string parts;
      EXPECT_FALSE(CleanLinesInParts(text, encoding, cleaning, [&](std::string_view part) {
        parts += part;
        return true;
      }));
      EXPECT_EQ(parts, made.view());
    }
  }
}

using K = LineChangeKind;

TEST(LineCleaning, JunkLinesGoWithTheirBreaksAndNothingElse) {
  LineCleaning cleaning;
  cleaning.junk = Rules("# a comment\n\n本站網址\nre:.*請記住.*網址.*\nre:\\s*www\\.[a-z.]+\n");
  const Case cases[] = {
      {"甲\r\n本站網址\r\n乙\r\n", "甲\r\n乙\r\n", {{2, K::kJunk}}},
      {"　本站網址  \n乙", "乙", {{1, K::kJunk}}},           // blanks aside
      {"他說本站網址不對。\n", "他說本站網址不對。\n", {}},  // a literal is a line
      {"請記住本站網址：www.abc.com\n甲\n", "甲\n", {{1, K::kJunk}}},
      {"甲\nwww.abc.com", "甲\n", {{2, K::kJunk}}},                // the last line
      {"他說www.abc.com很好。\n", "他說www.abc.com很好。\n", {}},  // inside a sentence
      {"（本章完）\n", "（本章完）\n", {}},
  };
  Check(cleaning, cases);
}

TEST(LineCleaning, RepeatedTitlesAreTheAutomaticRulesRepeats) {
  LineCleaning cleaning;
  cleaning.repeatedTitles = true;
  const Case cases[] = {
      {"第一章 開始\r\n第一章 開始\r\n正文\r\n",
       "第一章 開始\r\n正文\r\n",
       {{2, K::kRepeatedTitle}}},
      {"第一章 開始\n\n　第一章　開始\n", "第一章 開始\n\n", {{3, K::kRepeatedTitle}}},
      {"第一章 開始\n第一章\n", "第一章 開始\n", {{2, K::kRepeatedTitle}}},  // the same number
      {"第一章 開始\n第二章 結束\n", "第一章 開始\n第二章 結束\n", {}},
      {"正文\n正文\n", "正文\n正文\n", {}},                  // no heading
      {"第一章\n甲\n第一章\n", "第一章\n甲\n第一章\n", {}},  // not the next line
  };
  Check(cleaning, cases);
}

TEST(LineCleaning, BlankLinesOneOrNone) {
  LineCleaning one;
  one.blankLines = BlankLines::kOne;
  const Case ones[] = {
      {"甲\r\n\r\n \r\n　\r\n乙", "甲\r\n\r\n乙", {{3, K::kBlankLine}, {4, K::kBlankLine}}},
      {"甲\n\n乙\n\n", "甲\n\n乙\n\n", {}},
  };
  Check(one, ones);
  LineCleaning none;
  none.blankLines = BlankLines::kNone;
  const Case nones[] = {
      {"甲\r\n\r\n乙\r\n\t\r\n", "甲\r\n乙\r\n", {{2, K::kBlankLine}, {4, K::kBlankLine}}},
  };
  Check(none, nones);
  // Junk between blank lines leaves one run of them.
  LineCleaning both = one;
  both.junk = Rules("廣告");
  const Case boths[] = {
      {"甲\n\n廣告\n\n乙\n", "甲\n\n乙\n", {{3, K::kJunk}, {4, K::kBlankLine}}},
  };
  Check(both, boths);
}

TEST(LineCleaning, TrailingSpaceLeavesTheLineBreak) {
  LineCleaning cleaning;
  cleaning.trailingSpace = true;
  const Case cases[] = {
      {"甲 \t　\r\n乙\r\n", "甲\r\n乙\r\n", {{1, K::kTrailingSpace}}},
      {"  \n 甲", "\n 甲", {{1, K::kTrailingSpace}}},
  };
  Check(cleaning, cases);
  // In GBK the last two bytes of 啊 and a stray lead byte read A1 A1, a full-width space
  // to a reader that looks backwards.
  const auto changes = std::get<std::vector<LineChange>>(
      FindLineChanges(ByteText("\xB0\xA1\xA1\n"), Encoding::kGbk, cleaning));
  EXPECT_TRUE(changes.empty());
}

TEST(LineCleaning, IndentationTwoFullWidthSpacesOrNone) {
  LineCleaning wide;
  wide.indentation = Indentation::kFullWidth;
  const Case wides[] = {
      {"甲\r\n  乙\r\n\t丙\r\n　　丁\r\n\r\n",
       "　　甲\r\n　　乙\r\n　　丙\r\n　　丁\r\n\r\n",
       {{1, K::kIndent}, {2, K::kIndent}, {3, K::kIndent}}},
  };
  Check(wide, wides);
  LineCleaning none;
  none.indentation = Indentation::kNone;
  const Case nones[] = {
      {"　　甲\n乙\n \t丙 ", "甲\n乙\n丙 ", {{1, K::kIndent}, {3, K::kIndent}}},
  };
  Check(none, nones);
}

// The preview and the cleaning are one list: a random text with every kind, the lines the
// cleaning leaves out are those the list removes, and a line unticked comes back.
TEST(LineCleaning, TheCleaningRemovesWhatTheListSays) {
  const char* lines[] = {"第一章 開始", "第二章",    "",     " ",
                         "廣告",        "　正文。 ", "\t甲", "（本章完）"};
  std::mt19937 random(7);
  LineCleaning cleaning;
  cleaning.junk = Rules("廣告");
  cleaning.repeatedTitles = true;
  cleaning.blankLines = BlankLines::kOne;
  cleaning.trailingSpace = true;
  cleaning.indentation = Indentation::kFullWidth;
  for (Encoding encoding : kEncodings) {
    std::vector<std::string> source;
    std::string utf8;
    for (int i = 0; i < 3000; ++i) {
      source.push_back(lines[random() % std::size(lines)]);
      utf8 += source.back() + (random() % 2 ? "\r\n" : "\n");
    }
    const ByteText text = ByteText::Copy(In(encoding, utf8));
    auto changes = std::get<std::vector<LineChange>>(FindLineChanges(text, encoding, cleaning));
    std::vector<bool> removed(source.size() + 1, false);
    for (const LineChange& change : changes) {
      if (RemovesLine(change.kind)) removed[static_cast<std::size_t>(change.line)] = true;
    }
    std::string kept;
    for (std::size_t i = 0; i < source.size(); ++i) {
      if (!removed[i + 1]) kept += source[i];
    }
    const std::u16string made =
        Decode(encoding, WithChanges(text, encoding, cleaning.indentation, changes).view()).text;
    std::u16string left;
    for (char16_t c : made) {
      if (c != u'\r' && c != u'\n' && c != u' ' && c != u'\t' && c != u'\u3000') left += c;
    }
    std::u16string wanted;
    for (char16_t c : Decode(Encoding::kUtf8, kept).text) {
      if (c != u' ' && c != u'\t' && c != u'\u3000') wanted += c;
    }
    EXPECT_EQ(left, wanted) << EncodingName(encoding);
    // Untick every junk line: they are back, and nothing else changes.
    std::vector<LineChange> ticked;
    for (const LineChange& change : changes) {
      if (change.kind != K::kJunk) ticked.push_back(change);
    }
    const ByteText without = WithChanges(text, encoding, cleaning.indentation, ticked);
    EXPECT_GT(without.size(), WithChanges(text, encoding, cleaning.indentation, changes).size());
    EXPECT_NE(Decode(encoding, without.view()).text.find(u"廣告"), std::u16string::npos);
  }
}

TEST(LineCleaning, RulesThatCannotBeReadOrThatGiveUp) {
  const auto bad = JunkRules::Parse("甲\n\nre:(ab\n");
  ASSERT_TRUE(std::holds_alternative<JunkRules::Problem>(bad));
  EXPECT_EQ(std::get<JunkRules::Problem>(bad).line, 3);
  EXPECT_FALSE(JunkRules::BuiltIn().empty());
  EXPECT_EQ(std::get<JunkRules::Problem>(bad).error.problem, RegexProblem::kMismatchedParen);

  LineCleaning cleaning;
  cleaning.junk = Rules("re:(a+)+$");
  const ByteText text("x\n" + std::string(40, 'a') + "!\n");
  const auto found = FindLineChanges(text, Encoding::kGbk, cleaning);
  ASSERT_TRUE(std::holds_alternative<RuleError>(found));
  EXPECT_EQ(std::get<RuleError>(found).kind, RuleError::Kind::kGaveUp);
  EXPECT_EQ(std::get<RuleError>(found).line, 2);
}

// The built-in rules on the lines downloads carry, and on body text that looks like them
// (a sample of bench/junk_rules.sh's corpus, tests/data/junk-*.txt).
TEST(LineCleaning, BuiltInRules) {
  LineCleaning cleaning;
  cleaning.junk = std::make_shared<JunkRules>(JunkRules::BuiltIn());
  const char* junk[] = {"请记住本站域名：www.example.com",
                        "天才一秒记住本站地址：abc.com",
                        "手机用户请浏览m.example.com阅读，更优质的阅读体验。",
                        "https://www.example.com/book/1.html",
                        "【www.example.com】",
                        "求推荐票！求月票！",
                        "一秒记住【某某阁 www.example.info】，精彩小说无弹窗免费阅读！",
                        "请收藏本站：https://www.example.com",
                        "最新章节请访问 www.example.la",
                        "PS：今天两更，求订阅！",
                        "第一更，求收藏！",
                        "上一章 ← 章节目录 → 下一章"};
  const char* body[] = {"（本章完）",
                        "他打开www.example.com看了一眼，又关上了。",
                        "第一章 请记住",
                        "手机响了，他请她去阅读室。",
                        "求你了。",
                        "他掏出手机阅读邮件，随后登录公司系统查看报表。",
                        "他把电子书下载到了阅读器上，准备路上看。",
                        "他在名片背面写下自己的网址：www.example.com，又添了电话号码。",
                        "第三更天的时候，院子里传来一阵脚步声。",
                        "PS：他后来才知道，那封信根本没有寄出去。",
                        "收藏本是他的爱好，后来却成了生计。",
                        "一秒，两秒，他数着，院子里终于安静下来。"};
  for (Encoding encoding : {Encoding::kGbk, Encoding::kUtf8, Encoding::kUtf16Be}) {
    for (const char* line : junk) {
      const auto changes = std::get<std::vector<LineChange>>(
          FindLineChanges(ByteText::Copy(In(encoding, line)), encoding, cleaning));
      EXPECT_EQ(changes.size(), 1u) << line;
    }
    for (const char* line : body) {
      const auto changes = std::get<std::vector<LineChange>>(
          FindLineChanges(ByteText::Copy(In(encoding, line)), encoding, cleaning));
      EXPECT_TRUE(changes.empty()) << line;
    }
  }
}

}  // namespace
}  // namespace morvane::testing
