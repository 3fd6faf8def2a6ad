// SPDX-License-Identifier: MIT
#include "core/gbk.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace morvane {
namespace {

std::string RoundTrip(std::string_view bytes) {
  return EncodeGbk(DecodeGbk(bytes));
}

TEST(Gbk, KnownCharacters) {
  EXPECT_EQ(DecodeGbk("\xB5\xDA"
                      "a\r\n"),
            u"第a\r\n");
  EXPECT_EQ(EncodeGbk(u"第一卷"), "\xB5\xDA\xD2\xBB\xBE\xED");
  EXPECT_EQ(Utf8FromGbk("\xD0\xC5\xCF\xA2\xA3\xBA"), "信息：");
  EXPECT_EQ(GbkFromUtf8("运行时出错!").view(), "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!");
  EXPECT_EQ(DecodeGbk("\x81\x40"), u"\u4E02");  // a GBK extension character
}

TEST(Gbk, BytesThatAreNoCharacterTravelAsPrivateUse) {
  EXPECT_EQ(DecodeGbk("\x80"), u"\uF780");
  EXPECT_EQ(DecodeGbk("\xFF"), u"\uF7FF");
  EXPECT_EQ(DecodeGbk("a\xB5"), u"a\uF7B5");  // incomplete at the end
  EXPECT_EQ(DecodeGbk("\xB5 "), u"\uF7B5 ");  // no second byte of a character
  EXPECT_EQ(DecodeGbk("\x80\xB5\xDA"), u"\uF780第");
  EXPECT_EQ(EncodeGbk(u"\uF7B5\uF7DA"), "\xB5\xDA");
}

TEST(Gbk, WhatGbkCannotHoldBecomesQuestionMark) {
  EXPECT_EQ(EncodeGbk(u"a\U0001F600b"), "a?b");
  EXPECT_EQ(EncodeGbk(std::u16string(u"a") + char16_t(0xD800) + u"b"), "a?b");
  EXPECT_EQ(EncodeGbk(u"\u00AD"), "?");  // ICU alone would drop it
  EXPECT_EQ(EncodeGbk(u"\uF77F"), "?");
}

TEST(Gbk, EveryPairRoundTrips) {
  std::string all;
  for (int lead = 0x80; lead <= 0xFF; ++lead) {
    for (int trail = 1; trail <= 0xFF; ++trail) {
      std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
      ASSERT_EQ(RoundTrip(pair), pair) << lead << " " << trail;
      all += pair;
    }
  }
  EXPECT_EQ(RoundTrip(all), all);
}

// The character table is the same wherever the program runs (the ICU data each build
// links): a digest of every one- and two-byte decoding and every BMP unit's encoding holds
// every build to the same bytes. MORVANE_GBK_TABLE_DUMP names a
// file that receives the whole table, to find where two systems differ.
std::uint64_t Fnv1a(std::string_view bytes) {
  std::uint64_t h = 0xCBF29CE484222325ull;
  for (char c : bytes) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
  return h;
}

TEST(Gbk, TheTableIsTheSameOnEverySystem) {
  std::string decoded;
  for (int lead = 0x80; lead <= 0xFF; ++lead) {
    for (int trail = 0x3F; trail <= 0xFE; ++trail) {
      std::string bytes(1, static_cast<char>(lead));
      if (trail >= 0x40) bytes.push_back(static_cast<char>(trail));
      for (char16_t u : DecodeGbk(bytes)) decoded += std::to_string(u) + ",";
      decoded += "\n";
    }
  }
  std::string encoded;
  for (char32_t u = 1; u <= 0xFFFF; ++u)
    encoded += EncodeGbk(std::u16string(1, char16_t(u))) + "\n";
  encoded += EncodeGbk(u"\U0001F600") + "\n";
  if (const char* dump = std::getenv("MORVANE_GBK_TABLE_DUMP")) {
    std::ofstream(dump, std::ios::binary) << decoded << encoded;
  }
  EXPECT_EQ(Fnv1a(decoded), 12656778141670949312u);
  EXPECT_EQ(Fnv1a(encoded), 9139051573505203009u);
}

std::string RandomBytes(std::mt19937& rng, std::size_t n) {
  std::string s(n, 'a');
  for (char& c : s) c = static_cast<char>(1 + rng() % 255);
  return s;
}

TEST(GbkProperty, RandomBytesRoundTrip) {
  std::mt19937 rng(2024);
  for (int round = 0; round < 5000; ++round) {
    std::string s = RandomBytes(rng, rng() % 64);
    ASSERT_EQ(RoundTrip(s), s) << testing::PrintToString(s);
    ASSERT_EQ(GbkFromUtf8(Utf8FromGbk(s)).view(), s) << testing::PrintToString(s);
  }
}

TEST(GbkProperty, RandomValidTextRoundTripsWithoutEscapes) {
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    std::string s;
    while (s.size() < 100) {
      if (rng() % 4 == 0) {
        s.push_back(static_cast<char>(0x20 + rng() % 0x5F));
      } else {  // GB2312 hanzi: always assigned
        s.push_back(static_cast<char>(0xB0 + rng() % 0x28));
        s.push_back(static_cast<char>(0xA1 + rng() % 0x5E));
      }
    }
    std::u16string u = DecodeGbk(s);
    for (char16_t c : u) ASSERT_FALSE(c >= 0xF780 && c <= 0xF7FF) << testing::PrintToString(s);
    ASSERT_EQ(EncodeGbk(u), s);
  }
}

TEST(Gbk, BulkTextRoundTripsAcrossConversionChunks) {
  // 20 MiB crosses every internal chunk size of the converter; the speed of the bulk
  // path is measured by the desktop benchmark (loading a 20 MiB novel into the box).
  std::string text;
  while (text.size() < (20u << 20)) text += "\xB5\xDA\xD2\xBB\xD5\xC2 Chapter one\r\n";
  EXPECT_EQ(EncodeGbk(DecodeGbk(text)), text);
}

}  // namespace
}  // namespace morvane
