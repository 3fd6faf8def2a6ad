// SPDX-License-Identifier: MIT
#include "engine/chinese_numerals.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace morvane {
namespace {

// A heading's number read from the start of a text: Chinese numerals first, then Arabic
// and full-width digits; the characters taken, and the bounds.
TEST(ChineseNumerals, ReadAsHeadingsWriteThem) {
  struct Row {
    std::u16string text;
    std::optional<std::int64_t> number;
    std::size_t taken;
  };
  const Row rows[] = {
      {u"一千零二十四章", 1024, 6},
      {u"一〇二四章", 1024, 4},
      {u"十二回", 12, 2},  // a bare 十 is ten
      {u"二十", 20, 2},
      {u"壹佰贰拾叁", 123, 5},
      {u"两万零一", 20001, 4},
      {u"三亿", 300000000, 2},
      {u"一万亿", 1000000000000, 3},
      {u"零", 0, 1},
      {u"章", std::nullopt, 0},
      {u"九九九九九九九九九九九九九九九九九", std::nullopt, 17},  // beyond 2^53
  };
  for (const Row& row : rows) {
    std::size_t taken = 99;
    EXPECT_EQ(ChineseNumber(row.text, taken), row.number);
    EXPECT_EQ(taken, row.taken);
  }
  std::size_t taken = 0;
  EXPECT_EQ(ArabicNumber(u"１２3章", taken), 123);
  EXPECT_EQ(taken, 3u);
  EXPECT_EQ(ArabicNumber(u"99999999999999999999", taken), std::nullopt);
  for (char16_t c : std::u16string(u"0９〇两拾佰仟万亿")) EXPECT_TRUE(IsNumeral(c));
  for (char16_t c : std::u16string(u"章第a ")) EXPECT_FALSE(IsNumeral(c));
  // CR counts as a blank at the ends of a line (the CR of a CR LF break).
  EXPECT_EQ(TrimmedBlanks(u"\u3000 第一章\t\r"), u"第一章");
  EXPECT_EQ(TrimmedBlanks(u" \r\t"), u"");
}

}  // namespace
}  // namespace morvane
