// SPDX-License-Identifier: MIT
#include "core/encoding.h"

#include <bitset>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_files.h"

namespace morvane {
namespace {

// A short novel passage and its bytes in each encoding (transcoded through ICU, which the
// program's own decoding must agree with).
const std::u16string kPassage =
    u"第一章　序\r\n    我要给阿Q做正传，已经不止一两年了。\r\n第二章 优胜记略\r\n";

std::string In(Encoding e, std::u16string_view text) {
  return Encode(e, text).bytes;
}

TEST(Encoding, NamesRoundTripAndAutoIsNoEncoding) {
  for (Encoding e : kEncodings) {
    EXPECT_EQ(EncodingFromName(EncodingName(e)), e);
    EXPECT_EQ(EncodingFromName(EncodingLabel(e)), e);
  }
  EXPECT_FALSE(EncodingFromName("auto"));
  EXPECT_FALSE(EncodingFromName("latin-1"));
}

TEST(Encoding, DetectionTable) {
  const std::u16string traditional =
      u"第一章　序\r\n我要給阿Q做正傳，已經不止一兩年了。但一面要做，"
      u"一面又往回想，這足見我不是一個立言的人，因為從來不朽之筆。\r\n";
  std::string novel;
  for (int k = 0; k < 20; ++k) novel += In(Encoding::kUtf8, kPassage);
  const std::u16string noLineFeeds = u"第一章　一二三，我要给阿Ｑ做正传，已经不止一两年了。";
  std::u16string heading;
  while (heading.size() * 2 < 1740) heading += u"第一章 开始";
  struct Case {
    const char* name;
    std::string bytes;
    Detected expected;
  };
  const Case cases[] = {
      {"ascii stays gbk", "Chapter 1\r\n", {Encoding::kGbk, false}},
      {"gbk", In(Encoding::kGbk, kPassage), {Encoding::kGbk, false}},
      {"utf-8", In(Encoding::kUtf8, kPassage), {Encoding::kUtf8, false}},
      {"utf-8 bom", "\xEF\xBB\xBF" + In(Encoding::kUtf8, kPassage), {Encoding::kUtf8, true}},
      {"utf-16le bom", "\xFF\xFE" + In(Encoding::kUtf16Le, kPassage), {Encoding::kUtf16Le, true}},
      {"utf-16be bom", "\xFE\xFF" + In(Encoding::kUtf16Be, kPassage), {Encoding::kUtf16Be, true}},
      {"utf-16le by zeros", In(Encoding::kUtf16Le, kPassage), {Encoding::kUtf16Le, false}},
      {"utf-16be by zeros", In(Encoding::kUtf16Be, kPassage), {Encoding::kUtf16Be, false}},
      {"gb18030 four-byte",
       In(Encoding::kGb18030, kPassage + u"\U00020000€"),
       {Encoding::kGb18030, false}},
      {"big5", In(Encoding::kBig5, traditional), {Encoding::kBig5, false}},
      {"traditional in gbk", In(Encoding::kGbk, traditional), {Encoding::kGbk, false}},
      {"utf-8 cut in a character",
       In(Encoding::kUtf8, kPassage).substr(0, 5),
       {Encoding::kGbk, false}},
      {"utf-8 with a bad byte",
       novel.substr(0, 900) + "\xFF" + novel.substr(900),
       {Encoding::kUtf8, false}},
      {"utf-8 whose last character is cut short",
       novel.substr(0, novel.size() - 1),
       {Encoding::kUtf8, false}},
      {"gbk with a few utf-8 characters",
       In(Encoding::kGbk, kPassage) + In(Encoding::kUtf8, u"第一章"),
       {Encoding::kGbk, false}},
      {"utf-16le, no line feeds, zeros from 一 and 　",
       In(Encoding::kUtf16Le, noLineFeeds),
       {Encoding::kUtf16Le, false}},
      {"utf-16be, no line feeds, zeros from 一 and 　",
       In(Encoding::kUtf16Be, noLineFeeds),
       {Encoding::kUtf16Be, false}},
      {"utf-16le, a heading repeated to 1 740 bytes, no line feeds",
       In(Encoding::kUtf16Le, heading).substr(0, 1740),
       {Encoding::kUtf16Le, false}},
      {"utf-16be, a heading repeated to 1 740 bytes, no line feeds",
       In(Encoding::kUtf16Be, heading).substr(0, 1740),
       {Encoding::kUtf16Be, false}},
      {"utf-16le, short", In(Encoding::kUtf16Le, u"第一章 开始"), {Encoding::kUtf16Le, false}},
      {"utf-16le of ascii, no line feeds",
       In(Encoding::kUtf16Le, u"Chapter One. Chapter Two."),
       {Encoding::kUtf16Le, false}},
      {"gbk padded with zero bytes",
       In(Encoding::kGbk, kPassage) + std::string(8, '\0'),
       {Encoding::kGbk, false}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DetectEncoding(c.bytes), c.expected) << c.name;
    EXPECT_EQ(DetectEncoding(c.bytes, ScanBytes(c.bytes)), c.expected) << c.name;
  }
  EXPECT_EQ(ResolveEncoding("\xFF\xFE"
                            "a",
                            Encoding::kUtf16Le),
            (Detected{Encoding::kUtf16Le, true}));
  EXPECT_EQ(ResolveEncoding("\xFF\xFE"
                            "a",
                            Encoding::kGbk),
            (Detected{Encoding::kGbk, false}));
}

TEST(Encoding, DetectsTheNovellaAndItsCopies) {
  const auto read =
      testing::ReadBytes(std::string(MORVANE_TEST_DATA_DIR) + "/a-q-zhengzhuan.gbk.txt");
  ASSERT_TRUE(read) << "tests/data/a-q-zhengzhuan.gbk.txt is missing";
  const std::string& gbk = *read;
  const std::u16string text = Decode(Encoding::kGbk, gbk).text;
  for (Encoding e : kEncodings) {
    if (e == Encoding::kBig5) continue;  // simplified text: Big5 cannot hold it
    const std::string bytes = In(e, text);
    const Encoding expected = e == Encoding::kGb18030 ? Encoding::kGbk : e;  // no four-byte
    EXPECT_EQ(DetectEncoding(bytes).encoding, expected) << EncodingName(e);
    EXPECT_EQ(Decode(e, bytes).text, text) << EncodingName(e);
  }
}

// The stepping of each encoding on characters of one to four bytes and on broken bytes.
TEST(Encoding, CharacterLengthTable) {
  struct Case {
    Encoding e;
    std::string bytes;
    std::vector<std::size_t> lengths;
  };
  const Case cases[] = {
      {Encoding::kGbk, "a\xB5\xDA\x81\x40\x81\x30\xFF", {1, 2, 2, 1, 1, 1}},
      {Encoding::kBig5, "\xB2\xC4\xA4\x40\x0D", {2, 2, 1}},
      {Encoding::kGb18030, "\x81\x30\x81\x30\xB5\xDA\x81\x30\x81", {4, 2, 1, 1, 1}},
      {Encoding::kUtf8,
       "a\xE7\xAC\xAC\xF0\x9F\x98\x80\xE7\xAC"
       "b\x80\xC0\xAF",
       {1, 3, 4, 2, 1, 1, 1, 1}},
      {Encoding::kUtf16Le,
       std::string("a\0\x3D\xD8\x00\xDE\x00\xD8\x00\xD8\x7B", 11),
       {2, 4, 2, 2, 1}},
      {Encoding::kUtf16Be, std::string("\xD8\x3D\xDE\x00\xDC\x00", 6), {4, 2}},
  };
  for (const Case& c : cases) {
    std::vector<std::size_t> got;
    for (std::size_t at = 0; at < c.bytes.size(); at += got.back())
      got.push_back(CharLength(c.e, c.bytes, at));
    EXPECT_EQ(got, c.lengths) << EncodingName(c.e);
  }
}

// BoundaryAtOrAfter from any known boundary equals walking from the start, on random
// bytes weighted toward each encoding's special bytes.
TEST(Encoding, BoundaryAgreesWithAWalkFromTheStart) {
  std::mt19937 random(7);
  const unsigned char palette[] = {0x00, 0x0D, 0x30, 0x35, 0x3F, 0x40, 0x7F, 0x80, 0x81,
                                   0xA0, 0xB5, 0xC2, 0xD8, 0xDC, 0xE7, 0xF0, 0xFE, 0xFF};
  for (Encoding e : kEncodings) {
    for (int round = 0; round < 300; ++round) {
      std::string bytes(random() % 24, '\0');
      for (char& c : bytes) c = static_cast<char>(palette[random() % std::size(palette)]);
      std::vector<std::size_t> boundaries;
      for (std::size_t at = 0; at < bytes.size(); at += CharLength(e, bytes, at))
        boundaries.push_back(at);
      boundaries.push_back(bytes.size());
      for (std::size_t offset = 0; offset <= bytes.size(); ++offset) {
        const std::size_t want = *std::lower_bound(boundaries.begin(), boundaries.end(), offset);
        for (std::size_t from : boundaries) {
          if (from > offset) break;
          ASSERT_EQ(BoundaryAtOrAfter(e, bytes, offset, from), want)
              << EncodingName(e) << " offset " << offset << " from " << from;
        }
      }
    }
  }
}

TEST(Encoding, TextEndsAtAMarkCharacter) {
  using namespace std::string_literals;
  struct Case {
    Encoding e;
    std::string bytes;
    std::size_t end;
  };
  const Case cases[] = {
      {Encoding::kUtf16Le, "A\0\0\x4E\x1A\0B\0"s, 4},  // U+4E00 holds a zero byte
      {Encoding::kUtf16Le, "A\0\0\0"s, 2},
      {Encoding::kUtf16Be, "\0A\x1A\0\0\x1A"s, 4},  // U+1A00 is a character
      {Encoding::kUtf16Be, "\0A\0"s, 3},            // an odd last byte is kept
      {Encoding::kUtf8, "\xE7\xAC\xAC\x1A"s, 3},
      {Encoding::kBig5, "\xA4\x1A"s, 1},  // 0x1A is never a second byte
      {Encoding::kGbk, "\xA4\x1A"s, 2},   // GBK keeps its old rule
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TextEndIn(c.e, c.bytes), c.end)
        << EncodingName(c.e) << " " << ::testing::PrintToString(c.bytes);
  }
}

// Large files are scanned in two halves side by side: a mark, a zero or a four-byte
// GB18030 character next to the seam is found as one pass over the whole would find it.
TEST(Encoding, TwoHalvesFindWhatOnePassFinds) {
  struct Case {
    const char* what;
    std::string planted;
    long offset;  // from the middle
  };
  const Case cases[] = {
      {"mark before the seam", "\x1A", -1},
      {"mark at the seam", std::string(1, '\0'), 0},
      {"zeros on both sides", std::string(2, '\0'), -1},
      {"four-byte character across the seam", "\x81\x30\x81\x30", -2},
      {"four-byte character ending at the seam", "\x81\x30\x81\x30", -4},
      {"four-byte character starting at the seam", "\x81\x30\x81\x30", 0},
      {"four-byte character starting just before the seam", "a\x81\x30\x81\x30", -2},
      {"digits, no four-byte character", "\x30\x81\x30\x30", -1},
      {"a UTF-8 character across the seam", "\xE7\xAC\xAC", -1},
      {"a four-byte UTF-8 character across the seam", "\xF0\x9F\x98\x80", -1},
      {"too many continuation bytes across the seam", "\xE7\x80\x80\x80\x80\x80", -2},
  };
  const std::size_t size = kSideBySideBytes + 4097;
  for (const Case& c : cases) {
    for (bool ascii : {false, true}) {
      std::string bytes(size, 'a');
      if (!ascii) {
        for (std::size_t i = 0; i + 1 < size; i += 2) bytes.replace(i, 2, "\xB5\xDA");
      }
      bytes.replace(static_cast<std::size_t>(static_cast<long>(size / 2) + c.offset),
                    c.planted.size(), c.planted);
      const ByteFacts halves = ScanBytes(bytes, true);
      const ByteFacts whole = ScanBytes(bytes, false);
      SCOPED_TRACE(std::string(c.what) + (ascii ? " in ASCII" : " in GBK"));
      EXPECT_EQ(halves.high, whole.high);
      EXPECT_EQ(halves.zeros, whole.zeros);
      EXPECT_EQ(halves.firstMark, whole.firstMark);
      EXPECT_EQ(halves.firstFourByte, whole.firstFourByte);
      const Detected detected = DetectEncoding(bytes);
      EXPECT_EQ(DetectEncoding(bytes, halves).encoding, detected.encoding);
    }
  }
}

TEST(Encoding, Utf8ValidatorAgreesWithTheSlowOne) {
  std::mt19937 random(11);
  const std::string good = In(Encoding::kUtf8, kPassage + u"\U0001F600é");
  for (int round = 0; round < 3000; ++round) {
    std::string bytes;
    while (bytes.size() < 100 + random() % 100) bytes += good;
    const int damage = static_cast<int>(random() % 3);
    for (int k = 0; k < damage; ++k)
      bytes[random() % bytes.size()] = static_cast<char>(random() % 256);
    bytes.resize(random() % (bytes.size() + 1));
    ASSERT_EQ(IsUtf8(bytes), IsUtf8Slowly(bytes)) << ::testing::PrintToString(bytes);
  }
  EXPECT_FALSE(IsUtf8(std::string(40, 'a') + "\xED\xA0\x80"));  // a surrogate
  EXPECT_FALSE(IsUtf8(std::string(40, 'a') + "\xC0\xAF"));      // overlong
  EXPECT_FALSE(IsUtf8(std::string(31, 'a') + "\xE7\xAC" + std::string(40, 'a')));
}

// Bytes that are no character, counted without decoding, against decoding's count: GBK
// damaged at random (runs of lead bytes across the 64-byte blocks, a lead byte at the end),
// and a large text of each encoding damaged next to where its halves meet. A GBK text's
// count is also made by the pass that reads a file, whole, in halves and in pieces that
// start where GbkStartAtOrAfter says.
TEST(Encoding, UndecodableBytesAreThoseDecodingEscapes) {
  std::mt19937 random(19);
  auto agree = [&](Encoding e, const std::string& bytes) {
    const Undecodable fast = FindUndecodable(e, bytes);
    const DecodedText slow = Decode(e, bytes);
    ASSERT_EQ(fast.count, slow.undecodable) << EncodingName(e) << ::testing::PrintToString(bytes);
    if (fast.count > 0) {
      ASSERT_EQ(fast.first, slow.firstUndecodable) << EncodingName(e);
    }
    if (e != Encoding::kGbk) return;
    const std::size_t seam = GbkStartAtOrAfter(bytes, random() % (bytes.size() + 1));
    ByteFacts pieces;  // as a read followed piece by piece joins them
    JoinFacts(pieces, ScanBytesIn(bytes, 0, seam));
    JoinFacts(pieces, ScanBytesIn(bytes, seam, bytes.size()));
    for (const ByteFacts& facts : {ScanBytes(bytes), pieces}) {
      const auto counted = UndecodableOf(e, facts);
      ASSERT_TRUE(counted.has_value());
      ASSERT_EQ(counted->count, fast.count) << ::testing::PrintToString(bytes);
      if (fast.count > 0) ASSERT_EQ(counted->first, fast.first);
    }
  };
  const char kBytes[] = "\x81\xFE\xB5\xDA\x80\xFF\x7F\x40\x3F\x0A a";
  for (int round = 0; round < 4000; ++round) {
    std::string bytes;
    const std::size_t size = random() % 200;
    for (std::size_t k = 0; k < size; ++k) bytes += kBytes[random() % (sizeof kBytes - 1)];
    agree(Encoding::kGbk, bytes);
    agree(Encoding::kUtf8, bytes);
  }
  for (Encoding e : {Encoding::kGbk, Encoding::kUtf8}) {
    std::string large;
    while (large.size() < kSideBySideBytes + 4096) large += In(e, kPassage);
    agree(e, large);
    large[large.size() / 2 + 1] = '\xFF';
    large.back() = '\xE7';
    agree(e, large);
  }
}

TEST(Encoding, DecodeEncodeRoundTripsEveryByteWithOffsets) {
  const std::string broken[] = {"\x80\xB5\xDA\xFF\xB5", "\xE7\xAC\xAC\xE7\x80\xC0",
                                std::string("\x2C\x7B\x00\xD8\x41", 5)};
  for (Encoding e : kEncodings) {
    for (const std::string& bytes : broken) {
      const DecodedText d = Decode(e, bytes, true);
      EXPECT_EQ(EncodeBack(e, d), bytes) << EncodingName(e);
      ASSERT_EQ(d.offsets.size(), d.text.size() + 1);
      EXPECT_EQ(d.offsets.back(), bytes.size());
      EXPECT_TRUE(std::is_sorted(d.offsets.begin(), d.offsets.end()));
    }
  }
  const DecodedText d = Decode(Encoding::kUtf8,
                               "a\xE7\xAC\xAC\xFF"
                               "b",
                               true);
  EXPECT_EQ(d.text, u"a第\uF7FFb");
  EXPECT_EQ(d.offsets, (std::vector<std::uint32_t>{0, 1, 4, 5, 6}));
  EXPECT_EQ(d.undecodable, 1u);
  EXPECT_EQ(d.firstUndecodable, 4u);
  const EncodedText gbk = Encode(Encoding::kGbk, u"第😀章");
  EXPECT_EQ(gbk.bytes, "\xB5\xDA?\xD5\xC2");
  EXPECT_EQ(gbk.unencodable, 1u);
  EXPECT_EQ(gbk.firstUnencodable, 1u);
  EXPECT_EQ(gbk.firstUnencodableChar, U'😀');
}

// ---- conversion between encodings ---------------------------------------------------------

// Every character an encoding holds, as bytes of it: every code of the double-byte tables
// (and ASCII), every code point but surrogates and U+0000 for the others (GB18030 in its
// own form of each).
const std::string& EveryCharacter(Encoding e) {
  static std::map<Encoding, std::string> made;
  std::string& bytes = made[e];
  if (!bytes.empty()) return bytes;
  if (e == Encoding::kGbk || e == Encoding::kBig5) {
    for (int b = 1; b < 0x80; ++b) bytes += static_cast<char>(b);
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
        if (Decode(e, pair).undecodable == 0) bytes += pair;
      }
    }
    return bytes;
  }
  std::u16string all;
  for (char32_t c = 1; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    if (c < 0x10000) {
      all += static_cast<char16_t>(c);
    } else {
      all += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      all += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  bytes = Encode(e, all).bytes;
  return bytes;
}

std::vector<char32_t> CodePoints(std::u16string_view text) {
  std::vector<char32_t> out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    }
    out.push_back(c);
  }
  return out;
}

class EveryPair : public ::testing::TestWithParam<std::tuple<Encoding, Encoding>> {};

// Every character of the source goes through Transcode into the target: the output is
// valid in the target and decodes to the same characters, but for those the target does
// not hold (only GBK and Big5 lack some: those outside their tables), each one "?".
TEST_P(EveryPair, TranscodeKeepsEveryCharacter) {
  const auto [from, to] = GetParam();
  const std::string& source = EveryCharacter(from);
  const DecodedText characters = Decode(from, source);
  ASSERT_EQ(characters.undecodable, 0u);
  std::bitset<0x110000> held;
  if (to == Encoding::kGbk || to == Encoding::kBig5) {
    for (char32_t c : CodePoints(Decode(to, EveryCharacter(to)).text)) held.set(c);
  } else {
    held.set();
  }
  std::u16string expected;
  std::size_t unheld = 0;
  for (char32_t c : CodePoints(characters.text)) {
    if (!held.test(c)) {
      ++unheld;
      expected += u'?';
    } else if (c >= 0x10000) {
      expected += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      expected += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      expected += static_cast<char16_t>(c);
    }
  }
  const EncodedText out = Transcode(from, to, source);
  EXPECT_EQ(out.undecodable, 0u);
  EXPECT_EQ(out.unencodable, from == to ? 0 : unheld);
  const DecodedText back = Decode(to, out.bytes);
  EXPECT_EQ(back.undecodable, 0u) << "at byte " << back.firstUndecodable;
  EXPECT_TRUE(back.text == (from == to ? characters.text : expected));
}

INSTANTIATE_TEST_SUITE_P(Encoding, EveryPair,
                         ::testing::Combine(::testing::ValuesIn(kEncodings),
                                            ::testing::ValuesIn(kEncodings)),
                         [](const auto& info) {
                           std::string name = std::string(EncodingName(std::get<0>(info.param))) +
                                              "_to_" +
                                              std::string(EncodingName(std::get<1>(info.param)));
                           std::erase(name, '-');
                           return name;
                         });

// Bytes that are no character are refused with the offset of the first, in every
// encoding; private-use characters of the stand-ins' range are characters like any other.
TEST(Encoding, TranscodeRefusesUndecodableBytesAndKeepsPrivateUse) {
  struct Case {
    Encoding from;
    std::string bytes;
    std::size_t first;
  };
  const Case refused[] = {
      {Encoding::kGbk, "ab\x80\xB5\xDA", 2},
      {Encoding::kBig5, "\xA4\x40\xA1\x85", 2},
      {Encoding::kUtf8, "a\xE7\xAC\xAC\xFF", 4},
      {Encoding::kUtf16Le, std::string("a\0\0\xD8", 4), 2},
      {Encoding::kUtf16Be, std::string("\0a\0", 3), 2},
      {Encoding::kGb18030, "\x81\x30\x81", 0},
  };
  for (const Case& c : refused) {
    for (Encoding to : kEncodings) {
      if (to == c.from) continue;
      const EncodedText out = Transcode(c.from, to, c.bytes);
      EXPECT_GT(out.undecodable, 0u) << EncodingName(c.from) << " to " << EncodingName(to);
      EXPECT_EQ(out.firstUndecodable, c.first) << EncodingName(c.from);
      EXPECT_TRUE(out.bytes.empty());
    }
  }
  // U+F720 and U+F780 in UTF-8, to UTF-16LE: two characters, not two bytes.
  const EncodedText utf16 =
      Transcode(Encoding::kUtf8, Encoding::kUtf16Le, "A\xEF\x9C\xA0\xEF\x9E\x80");
  EXPECT_EQ(utf16.bytes, std::string("A\0\x20\xF7\x80\xF7", 6));
  // Within one encoding the list of stand-ins, not their range, tells them.
  const std::string big5 = "\xC7\xD3\x80\xC8\xB5";
  const DecodedText decoded = Decode(Encoding::kBig5, big5);
  EXPECT_EQ(decoded.text, u"\uF780\uF780\uF7FF");
  EXPECT_EQ(decoded.standIns, (std::vector<std::uint32_t>{1}));
  EXPECT_EQ(EncodeBack(Encoding::kBig5, decoded), big5);
}

// Big5 as Windows reads it (code page 950): the box-drawing duplicates, the numerals 十
// and 卅 of A2CC and A2CE, and the user-defined area as private-use characters.
TEST(Encoding, Big5DecodesAsWindowsDoes) {
  const std::pair<const char*, char16_t> codes[] = {
      {"\xA2\xA4", u'═'},      {"\xA2\xA5", u'╞'},      {"\xA2\xA6", u'╪'},
      {"\xA2\xA7", u'╡'},      {"\xF9\xFA", u'╭'},      {"\xF9\xFB", u'╮'},
      {"\xF9\xFC", u'╰'},      {"\xF9\xFD", u'╯'},      {"\xA2\xCC", u'十'},
      {"\xA2\xCE", u'卅'},     {"\x81\x40", u'\uEEB8'}, {"\xA0\xFE", u'\uEEB7'},
      {"\xFA\x40", u'\uE000'}, {"\xFE\xFE", u'\uE310'}, {"\xC8\xFE", u'\uF848'},
  };
  for (const auto& [bytes, unit] : codes) {
    const DecodedText d = Decode(Encoding::kBig5, bytes);
    EXPECT_EQ(d.undecodable, 0u) << bytes;
    EXPECT_EQ(d.text, std::u16string(1, unit)) << bytes;
  }
  // C7D3..C8B5, in the order of the codes, are U+F780..U+F7FF.
  char16_t next = 0xF780;
  for (int code = 0xC7D3; code <= 0xC8B5; ++code) {
    const int trail = code & 0xFF;
    if (trail < 0x40 || (trail > 0x7E && trail < 0xA1) || trail == 0xFF) continue;
    const std::string pair{static_cast<char>(code >> 8), static_cast<char>(trail)};
    EXPECT_EQ(Decode(Encoding::kBig5, pair).text, std::u16string(1, next++)) << code;
  }
  EXPECT_EQ(next, 0xF800);
}

}  // namespace
}  // namespace morvane
