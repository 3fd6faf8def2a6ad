// SPDX-License-Identifier: MIT
#include "core/numbers.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(Numbers, ToIntegerFoldsFullWidthAndParsesLeadingInteger) {
  const struct {
    const char* text;
    int expected;
  } cases[] = {
      {"\xA1\xA1\xA3\xB1\xA3\xB2", 12},  // "　１２"
      {"-7x", -7},
      {"", 0},
      {"  12K", 12},
      {"abc", 0},
      {"+5", 5},
      {"\xA3\xAD\xA3\xB3", -3},  // "－３"
      {"\t\r\n 42", 42},
      {"- 4", 0},
      {"\xB5\xDA"
       "1",
       0},  // a character before the digits stops the parse
      {"99999999999", 2147483647},
      {"-99999999999", -2147483647 - 1},
      {"-2147483648", -2147483647 - 1},
      {"7\xB5", 7},
  };
  for (const auto& c : cases) EXPECT_EQ(ToInteger(ByteText(c.text)), c.expected) << c.text;
}

TEST(Numbers, IntegerPartTruncatesExceptNearlyWhole) {
  EXPECT_EQ(IntegerPart(2.9999999999995), 3);
  EXPECT_EQ(IntegerPart(2.999999), 2);
  EXPECT_EQ(IntegerPart(6.9999999999995), 7);
  EXPECT_EQ(IntegerPart(6.9999999), 6);
  EXPECT_EQ(IntegerPart(-2.5), -2);
  EXPECT_EQ(IntegerPart(-0.9999999999995), -1);
  EXPECT_EQ(IntegerPart(0.0), 0);
  EXPECT_EQ(IntegerPart(1e12), 2147483647);
  EXPECT_EQ(IntegerPart(-1e12), -2147483647 - 1);
}

TEST(Numbers, RemainderIsFmod) {
  EXPECT_EQ(Remainder(7, 2), 1);
  EXPECT_EQ(Remainder(-7, 2), -1);
  EXPECT_EQ(Remainder(7.5, 2), 1.5);
}

TEST(Numbers, ToTextFormats) {
  const struct {
    double value;
    const char* expected;
  } cases[] = {
      {1234569 / 1024.0, "1205.633789063"},  // a half rounds away from zero
      {1234567 / 1024.0, "1205.631835938"},
      {-1234569 / 1024.0, "-1205.633789063"},
      {1500 / 1024.0, "1.46484375"},
      {5.0, "5"},
      {3.0, "3"},
      {0.5, "0.5"},
      {0.0, "0"},
      {100.0, "100"},
      {9999999999999.5, "1e+13"},
      {1e13, "1e+13"},
      {1234567890123.0, "1234567890123"},
      {0.0001, "0.0001"},
      {0.00001234, "1.234e-05"},
      {1.0 / 3, "0.3333333333333"},
  };
  for (const auto& c : cases) EXPECT_EQ(ToText(c.value).view(), c.expected) << c.expected;
  EXPECT_EQ(ToText(-12).view(), "-12");
  EXPECT_EQ(ToText(0).view(), "0");
  EXPECT_EQ(ToText(-2147483647 - 1).view(), "-2147483648");
}

// The same format reached another way: round the 17-digit mantissa as an integer, then
// let printf lay out the 13-digit value (which a double holds exactly enough).
std::string ReferenceToText(double v) {
  char e17[40];
  std::snprintf(e17, sizeof e17, "%.16e", v);
  std::string s = e17;
  bool negative = s[0] == '-';
  if (negative) s.erase(0, 1);
  std::size_t e = s.find('e');
  int exponent = std::atoi(s.c_str() + e + 1);
  std::string digits = s.substr(0, 1) + s.substr(2, e - 2);
  unsigned long long m = std::stoull(digits);
  unsigned long long m13 = (m + 5000) / 10000;
  if (m13 == 10000000000000ull) {
    m13 /= 10;
    ++exponent;
  }
  char rebuilt[64];
  std::snprintf(rebuilt, sizeof rebuilt, "%s%llue%d", negative ? "-" : "", m13, exponent - 12);
  char out[64];
  std::snprintf(out, sizeof out, "%.13g", std::strtod(rebuilt, nullptr));
  return out;
}

TEST(NumbersReference, ToTextAgreesOnRandomValues) {
  std::mt19937_64 rng(777);
  for (int round = 0; round < 100000; ++round) {
    double v;
    switch (round % 4) {
      case 0:  // sizes in kilobytes: where halves are common
        v = static_cast<double>(rng() % 3000000000ull) / 1024.0;
        break;
      case 1:
        v = static_cast<double>(rng() % 100000) / static_cast<double>(1 + rng() % 5000);
        break;
      case 2: {
        double bits;
        unsigned long long raw = rng();
        std::memcpy(&bits, &raw, sizeof bits);
        v = std::isfinite(bits) ? bits : 1.5;
        break;
      }
      default:
        v = -static_cast<double>(rng() % 100000000) / 1024.0 / 1024.0;
    }
    ASSERT_EQ(ToText(v).view(), ReferenceToText(v)) << std::hexfloat << v;
  }
}

}  // namespace
}  // namespace morvane
