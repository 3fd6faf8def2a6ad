// SPDX-License-Identifier: MIT
// Bounds that do not grow with the input: a regular expression's time, and the lines a
// junk rule is run on. How long and how much memory is measured by the benchmarks
// (bench/regex_long_line.sh, bench/peak_memory.sh); these check what the bounds decide.

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "core/byte_text.h"
#include "engine/chapter_rules.h"
#include "engine/line_cleaning.h"

namespace morvane {
namespace {

TEST(Bounds, WhatTheBoundsDecide) {
  std::string line;
  for (int i = 0; i < (1 << 20) / 6; ++i) line += "第章";
  line += "第\n";
  const auto pattern = ParseRule("regex:^(.*章)+$");
  ASSERT_TRUE(pattern);
  // An expression that backtracks without end on a line of a megabyte gives up (after
  // about two seconds, as on a line of a gigabyte), naming the line.
  const HeadingsOrError found =
      FindHeadings(ByteText::Copy(line + "第一章 开始\n"), *pattern, Encoding::kUtf8);
  ASSERT_TRUE(std::holds_alternative<RuleError>(found));
  EXPECT_EQ(std::get<RuleError>(found).kind, RuleError::Kind::kGaveUp);
  EXPECT_EQ(std::get<RuleError>(found).problem, RegexProblem::kTooSlow);
  EXPECT_EQ(std::get<RuleError>(found).line, 1);

  // A junk rule is run on lines of up to 64 KiB: a longer one is never junk.
  const auto rules = JunkRules::Parse("re:.*广告.*\n");
  ASSERT_TRUE(std::holds_alternative<JunkRules>(rules));
  LineCleaning cleaning;
  cleaning.junk = std::make_shared<const JunkRules>(std::get<JunkRules>(rules));
  const std::string advert = "广告" + std::string((64 << 10) - 6, 'x');
  const std::string text = advert + "\n" + advert + "x\n";
  const LineChangesOrError changes =
      FindLineChanges(ByteText::Copy(text), Encoding::kUtf8, cleaning);
  ASSERT_TRUE(std::holds_alternative<std::vector<LineChange>>(changes));
  EXPECT_EQ(std::get<std::vector<LineChange>>(changes),
            (std::vector<LineChange>{{1, 0, LineChangeKind::kJunk}}));
}

}  // namespace
}  // namespace morvane
