// SPDX-License-Identifier: MIT
#include "core/byte_text.h"

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace morvane {
namespace {

ByteText T(std::string_view bytes) {
  return ByteText(bytes);
}

TEST(ByteText, EndsBeforeFirstZeroByte) {
  EXPECT_EQ(ByteText(std::string_view("ab\0cd", 5)).view(), "ab");
  EXPECT_EQ(ByteText(std::string("\0x", 2)).size(), 0u);
  EXPECT_TRUE(ByteText().empty());
}

TEST(ByteText, PartsShareTheBuffer) {
  ByteText whole("abcdef");
  EXPECT_EQ(MidText(whole, 2, 3).data(), whole.data() + 1);
  EXPECT_EQ(RightText(whole, 2).data(), whole.data() + 4);
}

TEST(ByteText, OrdersBytesUnsigned) {
  EXPECT_LT(T("a"), T("\xB5"));
  EXPECT_LT(T("ab"), T("abc"));
  EXPECT_EQ(T("x"), T("x"));
}

TEST(ByteText, ConcatJoinsWithoutSeparators) {
  EXPECT_EQ(Concat({T("ab"), ByteText(), T("\xB5\xDA"), T("c")}).view(),
            "ab\xB5\xDA"
            "c");
  EXPECT_TRUE(Concat({}).empty());
}

TEST(ByteText, LeftRightMidBounds) {
  const ByteText abc("abc");
  const ByteText abcdef("abcdef");
  const struct {
    const char* what;
    ByteText result;
    const char* expected;
  } cases[] = {
      {"Left 0", LeftText(abc, 0), ""},
      {"Left -1", LeftText(abc, -1), ""},
      {"Left 10", LeftText(abc, 10), "abc"},
      {"Right -1", RightText(abc, -1), ""},
      {"Right 2", RightText(abc, 2), "bc"},
      {"Right 9", RightText(abc, 9), "abc"},
      {"Mid 0,2", MidText(abcdef, 0, 2), ""},
      {"Mid 7,1", MidText(abcdef, 7, 1), ""},
      {"Mid 5,10", MidText(abcdef, 5, 10), "ef"},
      {"Mid 2,0", MidText(abcdef, 2, 0), ""},
      {"Mid 2,huge", MidText(abcdef, 2, 0x7FFFFFFF), "bcdef"},
      {"Mid lead byte", MidText(T("a\xB5\xDA"), 2, 1), "\xB5"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.result.view(), c.expected) << c.what;
  EXPECT_EQ(TextLength(abcdef), 6);
  EXPECT_EQ(TextLength(ByteText()), 0);
}

TEST(ByteText, CharCodeIsSignedByte) {
  EXPECT_EQ(CharCode(ByteText()), 0);
  EXPECT_EQ(CharCode(T("\xB5\xDA")), -75);
  EXPECT_EQ(CharCode(T("\t")), 9);
  EXPECT_EQ(CharCode(T("ab"), 2), 'b');
  EXPECT_EQ(CharCode(T("ab"), 3), 0);
  EXPECT_EQ(CharCode(T("ab"), 0), 0);
  EXPECT_EQ(CharCode(T("\x80\xFF"), 2), -1);
}

TEST(ByteText, IsLeadByteAtUsesCodePageRange) {
  const ByteText t(
      "\x80\x81\xFE\xFF"
      "a");
  EXPECT_FALSE(IsLeadByteAt(t, 0));
  EXPECT_TRUE(IsLeadByteAt(t, 1));
  EXPECT_TRUE(IsLeadByteAt(t, 2));
  EXPECT_FALSE(IsLeadByteAt(t, 3));
  EXPECT_FALSE(IsLeadByteAt(t, 4));
  EXPECT_FALSE(IsLeadByteAt(t, 5));  // TextLength
  EXPECT_FALSE(IsLeadByteAt(t, -1));
}

struct FindCase {
  const char* text;
  const char* wanted;
  int start;
  int expected;
};

TEST(ByteText, FindTextStepsByCharacters) {
  const FindCase cases[] = {
      // DA inside 第 is not found; standing alone it is.
      {"\xB5\xDA", "\xDA", 1, -1},
      {"\xB5\xDA"
       "a\xDA",
       "\xDA", 1, 4},
      // Started on a second byte, the stepping runs shifted.
      {"\xB5\xDA\xB5\xDA", "\xB5\xDA", 2, -1},
      {"\xB5\xDA"
       "A\xB5\xDA",
       "\xB5\xDA", 2, 4},
      {"abcabc", "c", 4, 6},
      {"abc", "c", 4, -1},
      {"abc", "a", 0, 1},
      {"abc", "a", -5, 1},
      {"abc", "abcd", 1, -1},
      // A lone last high byte is still compared.
      {"ab\xB5", "\xB5", 1, 3},
      {"a\xB5",
       "\xB5"
       "x",
       1, -1},
      {"", "a", 1, -1},
      {"abc", "", 2, 2},
  };
  for (const FindCase& c : cases) {
    EXPECT_EQ(FindText(T(c.text), T(c.wanted), c.start), c.expected)
        << "'" << c.text << "' '" << c.wanted << "' from " << c.start;
  }
}

TEST(ByteText, FindTextBackwardKeepsLastMatch) {
  EXPECT_EQ(FindTextBackward(T("a.b.c"), T(".")), 4);
  EXPECT_EQ(FindTextBackward(T("abc"), T(".")), -1);
  EXPECT_EQ(FindTextBackward(T("aaa"), T("aa")), 2);  // overlapping matches count
  EXPECT_EQ(FindTextBackward(T("\xB5\\\\"), T("\\")), 3);
  EXPECT_EQ(FindTextBackward(T("x\xB5"), T("\xB5")), 2);
}

TEST(ByteText, ReplaceSubtextOnePass) {
  EXPECT_EQ(ReplaceSubtext(T("a b c"), T(" "), T("")).view(), "abc");
  EXPECT_EQ(ReplaceSubtext(T("a\r\nb\r\n"), T("\r\n"), T("")).view(), "ab");
  EXPECT_EQ(ReplaceSubtext(T("aaa"), T("aa"), T("b")).view(), "ba");
  EXPECT_EQ(ReplaceSubtext(T("xx"), T("x"), T("xx")).view(), "xxxx");
  // The second byte of a character is never matched.
  EXPECT_EQ(ReplaceSubtext(T("\xB5"
                             "a"
                             "a"),
                           T("a"), T("-"))
                .view(),
            "\xB5"
            "a-");
  // A lone last high byte stays.
  EXPECT_EQ(ReplaceSubtext(T("a b\xB5"), T(" "), T("")).view(), "ab\xB5");
  EXPECT_EQ(ReplaceSubtext(T(""), T("a"), T("b")).view(), "");
  EXPECT_EQ(ReplaceSubtext(T("abc"), T(""), T("x")).view(), "abc");
  EXPECT_TRUE(ReplaceSubtext(T("aa"), T("a"), T("")).empty());
}

TEST(ByteText, ToBytesHasNoTerminator) {
  EXPECT_EQ(ToBytes(T("a\xB5")), std::string("a\xB5"));
  EXPECT_EQ(ToBytes(ByteText()).size(), 0u);
}

// ---- a straightforward reading of the scans, checked against the core on random
// ---- inputs

int RefFind(const std::string& t, const std::string& w, int start) {
  int b = start - 1 < 0 ? 0 : start - 1;
  int n = static_cast<int>(t.size());
  if (n == 0 || b >= n) return -1;
  int i = b;
  while (i < n) {
    if (n - i < static_cast<int>(w.size())) return -1;
    if (t.compare(i, w.size(), w) == 0) return i + 1;
    if (static_cast<unsigned char>(t[i]) >= 0x80) {
      if (i == n - 1) return -1;
      i += 2;
    } else {
      i += 1;
    }
  }
  return -1;
}

int RefFindBackward(const std::string& t, const std::string& w) {
  int n = static_cast<int>(t.size());
  int last = -1;
  int i = 0;
  while (i < n) {
    if (n - i < static_cast<int>(w.size())) break;
    if (t.compare(i, w.size(), w) == 0) last = i + 1;
    if (static_cast<unsigned char>(t[i]) >= 0x80) {
      if (i == n - 1) break;
      i += 2;
    } else {
      i += 1;
    }
  }
  return last;
}

std::string RefReplace(const std::string& t, const std::string& w, const std::string& r) {
  if (t.empty() || w.empty()) return t;
  std::string out;
  std::size_t pos = 0;
  std::size_t left = t.size();
  while (left >= w.size()) {
    if (t.compare(pos, w.size(), w) == 0) {
      out += r;
      pos += w.size();
      left -= w.size();
    } else if (static_cast<unsigned char>(t[pos]) >= 0x80) {
      if (pos == t.size() - 1) {
        out += t[pos];  // kept
        return out;
      }
      out += t.substr(pos, 2);
      pos += 2;
      left -= 2;
    } else {
      out += t[pos];
      pos += 1;
      left -= 1;
    }
  }
  return out + t.substr(pos);
}

std::string RandomText(std::mt19937& rng, int maxLength) {
  // A small alphabet so that matches are frequent: ASCII, lead bytes, 0x80, 0xFF.
  static const char kBytes[] = {'a', 'b', ' ', '\r', '\n', '\x80', '\xB5', '\xDA', '\xFF'};
  std::string s(std::uniform_int_distribution<int>(0, maxLength)(rng), 'a');
  for (char& c : s) c = kBytes[std::uniform_int_distribution<int>(0, sizeof kBytes - 1)(rng)];
  return s;
}

TEST(ByteTextReference, ScansAgreeWithPlainReading) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 20000; ++round) {
    std::string t = RandomText(rng, 24);
    std::string w = RandomText(rng, 3);
    if (w.empty()) w.push_back('a');
    std::string r = RandomText(rng, 3);
    int start = std::uniform_int_distribution<int>(-2, 27)(rng);
    ASSERT_EQ(FindText(ByteText(t), ByteText(w), start), RefFind(t, w, start)) << round;
    ASSERT_EQ(FindTextBackward(ByteText(t), ByteText(w)), RefFindBackward(t, w)) << round;
    ASSERT_EQ(ReplaceSubtext(ByteText(t), ByteText(w), ByteText(r)).view(), RefReplace(t, w, r))
        << round;
  }
}

}  // namespace
}  // namespace morvane
