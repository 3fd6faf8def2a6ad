// SPDX-License-Identifier: MIT
// The order of a folder's files: numbers by value, letters without case.

#include <gtest/gtest.h>

#include "engine/natural_order.h"

namespace morvane {
namespace {

TEST(NaturalOrder, NumbersCountByValue) {
  struct Case {
    const char* before;
    const char* after;
  };
  const Case cases[] = {
      {"2.txt", "10.txt"},
      {"第2章.txt", "第10章.txt"},
      {"卷9 第99章", "卷10 第1章"},  // the first number that differs decides
      {"a.txt", "B.txt"},            // case aside
      {"甲", "甲1"},                 // a name before its longer self
      {"1 乙", "01 甲"},             // equal numbers: what follows decides
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.before) + " < " + c.after);
    EXPECT_TRUE(NaturallyBefore(c.before, c.after));
    EXPECT_FALSE(NaturallyBefore(c.after, c.before));
  }
  EXPECT_FALSE(NaturallyBefore("a02", "A2"));
  EXPECT_FALSE(NaturallyBefore("A2", "a02"));
}

}  // namespace
}  // namespace morvane
