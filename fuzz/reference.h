// SPDX-License-Identifier: MIT
#pragma once
// Slow, obvious versions of the byte-text rules, written straight from their definitions,
// for the harnesses to hold the fast versions against. Nothing here is tuned: a loop per
// rule, one character step at a time.

#include <unicode/ucnv.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::reference {

// Character stepping takes a byte with the top bit set together with the next one.
inline bool StepsTwo(unsigned char b) {
  return b >= 0x80;
}
inline unsigned char At(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]);
}

// Fuzzed bytes as a text: a text never holds a zero byte, so zeros become 0x01.
inline std::string WithoutZeros(std::string s) {
  for (char& c : s)
    if (c == '\0') c = '\x01';
  return s;
}

// FindText on a non-empty wanted text: scan from start - 1 (0 when lower), compare where at
// least |wanted| bytes are left, step by characters; a top-bit byte that is the last byte
// is compared there and then ends the scan.
inline int FindText(std::string_view text, std::string_view wanted, int start) {
  std::size_t b = start > 1 ? static_cast<std::size_t>(start) - 1 : 0;
  if (b != 0 && b >= text.size()) return -1;
  for (std::size_t i = b; i < text.size();) {
    if (text.size() - i < wanted.size()) return -1;
    if (text.substr(i, wanted.size()) == wanted) return static_cast<int>(i) + 1;
    if (StepsTwo(At(text, i))) {
      if (i + 1 == text.size()) return -1;
      i += 2;
    } else {
      i += 1;
    }
  }
  return -1;
}

// The same scan over the whole text, keeping the last match.
inline int FindTextBackward(std::string_view text, std::string_view wanted) {
  int last = -1;
  for (std::size_t i = 0; i < text.size();) {
    if (text.size() - i < wanted.size()) break;
    if (text.substr(i, wanted.size()) == wanted) last = static_cast<int>(i) + 1;
    if (StepsTwo(At(text, i))) {
      if (i + 1 == text.size()) break;
      i += 2;
    } else {
      i += 1;
    }
  }
  return last;
}

// One left-to-right pass, matches never overlap; a lone last top-bit byte is kept.
inline std::string ReplaceSubtext(std::string_view text, std::string_view wanted,
                                  std::string_view replacement) {
  if (text.empty() || wanted.empty()) return std::string(text);
  std::string out;
  std::size_t i = 0;
  while (text.size() - i >= wanted.size()) {
    if (text.substr(i, wanted.size()) == wanted) {
      out += replacement;
      i += wanted.size();
    } else if (StepsTwo(At(text, i)) && i + 1 < text.size()) {
      out += text.substr(i, 2);
      i += 2;
    } else {
      out += text[i];
      i += 1;
    }
  }
  out += text.substr(i);
  return out;
}

// Where a file's text ends: at a character start, 0x00 or 0x1A ends it; a top-bit byte
// followed by 0x00 ends it without that byte; a top-bit byte followed by anything else is
// one two-byte character; a lone last top-bit byte belongs to the text.
inline std::size_t TextEnd(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    unsigned char b = At(bytes, i);
    if (b == 0x00 || b == 0x1A) return i;
    if (StepsTwo(b)) {
      if (i + 1 == bytes.size()) return bytes.size();
      if (At(bytes, i + 1) == 0x00) return i;
      i += 2;
    } else {
      i += 1;
    }
  }
  return bytes.size();
}

// Character stepping in each encoding, written from its definition (encoding.h), with the
// encodings numbered as morvane::Encoding: 0 gbk, 1 gb18030, 2 utf-8, 3 utf-16le,
// 4 utf-16be, 5 big5.
inline std::size_t CharLength(int encoding, std::string_view s, std::size_t i) {
  const std::size_t left = s.size() - i;
  const unsigned char b = At(s, i);
  auto lead = [](unsigned char c) { return c >= 0x81 && c <= 0xFE; };
  auto digit = [](unsigned char c) { return c >= 0x30 && c <= 0x39; };
  switch (encoding) {
    case 0:
    case 5:
      return lead(b) && left >= 2 && At(s, i + 1) >= 0x40 ? 2 : 1;
    case 1:
      if (lead(b) && left >= 4 && digit(At(s, i + 1)) && lead(At(s, i + 2)) && digit(At(s, i + 3)))
        return 4;
      return lead(b) && left >= 2 && At(s, i + 1) >= 0x40 ? 2 : 1;
    case 2: {
      std::size_t want = 1;
      if (b >= 0xC2 && b <= 0xDF) want = 2;
      if (b >= 0xE0 && b <= 0xEF) want = 3;
      if (b >= 0xF0 && b <= 0xF4) want = 4;
      std::size_t n = 1;
      while (n < want && n < left && (At(s, i + n) & 0xC0) == 0x80) ++n;
      return n;
    }
    default: {
      if (left < 2) return 1;
      auto unit = [&](std::size_t k) {
        return encoding == 3 ? At(s, k) | At(s, k + 1) << 8 : At(s, k) << 8 | At(s, k + 1);
      };
      if (left >= 4 && unit(i) >= 0xD800 && unit(i) <= 0xDBFF && unit(i + 2) >= 0xDC00 &&
          unit(i + 2) <= 0xDFFF)
        return 4;
      return 2;
    }
  }
}

// The size cut's pieces. The count is size / pieceBytes rounded toward zero, plus one when
// something is left over, and it is fixed before the first piece; a piece ends at the first
// character boundary (characters stepped from the start of the text) at or after
// pieceBytes bytes; pieces after the end of the text are empty.
inline std::vector<std::string_view> CutIntoPieces(std::string_view text, int size, int pieceBytes,
                                                   int encoding = 0) {
  std::vector<std::string_view> pieces;
  if (pieceBytes == 0) return pieces;
  std::vector<bool> boundary(text.size() + 1, false);
  for (std::size_t i = 0; i < text.size(); i += CharLength(encoding, text, i)) boundary[i] = true;
  boundary[text.size()] = true;
  long long count = size / pieceBytes + (size % pieceBytes != 0 ? 1 : 0);
  std::size_t offset = 0;
  for (long long n = 0; n < count; ++n) {
    if (pieceBytes < 0) {
      pieces.push_back({});
      continue;
    }
    std::size_t end = std::min(text.size(), offset + static_cast<std::size_t>(pieceBytes));
    while (!boundary[end]) ++end;
    pieces.push_back(text.substr(offset, end - offset));
    offset = end;
  }
  return pieces;
}

// The chapter markers, found in one scan with character stepping from the first byte:
// "第" (B5 DA) and "章" (D5 C2) count only where they stand as characters of their own.
struct Markers {
  std::vector<int> ordinals, chapters;
};
inline Markers ChapterMarkers(std::string_view text) {
  Markers m;
  for (std::size_t i = 0; i < text.size(); i += StepsTwo(At(text, i)) ? 2 : 1) {
    std::string_view here = text.substr(i, 2);
    if (here == "\xB5\xDA") m.ordinals.push_back(static_cast<int>(i) + 1);
    if (here == "\xD5\xC2") m.chapters.push_back(static_cast<int>(i) + 1);
  }
  return m;
}

// The earliest unpaired "第" takes the next "章" that lies at most 16 bytes after it; a
// "章" before it is passed over, a "第" with no "章" close enough starts nothing.
inline std::vector<int> PairHeadings(const std::vector<int>& a, const std::vector<int>& b) {
  std::vector<int> starts;
  std::size_t i = 0, j = 0;
  while (i < b.size() && j < a.size()) {
    if (b[i] < a[j]) {
      ++i;
    } else if (static_cast<long long>(b[i]) - a[j] <= 16) {
      starts.push_back(a[j]);
      ++i;
      ++j;
    } else {
      ++j;
    }
  }
  return starts;
}

// The chapter files for boundary positions, taken as they come: with L the length, the
// boundaries are the starts and then L + 1; file k holds the first (cur - prev) bytes of
// what is left, and what is left becomes the last (L - cur + 1) bytes of it.
inline std::vector<std::string_view> ChapterTexts(std::string_view text,
                                                  const std::vector<int>& starts) {
  auto left = [](std::string_view s, long long n) {
    return n <= 0 ? std::string_view() : s.substr(0, static_cast<std::size_t>(n));
  };
  auto right = [](std::string_view s, long long n) {
    if (n <= 0) return std::string_view();
    return static_cast<std::size_t>(n) >= s.size() ? s : s.substr(s.size() - n);
  };
  long long length = static_cast<long long>(text.size());
  std::vector<long long> bounds(starts.begin(), starts.end());
  bounds.push_back(length + 1);
  std::vector<std::string_view> files;
  long long prev = 1;
  std::string_view rest = text;
  for (long long cur : bounds) {
    files.push_back(left(rest, cur - prev));
    rest = right(rest, length - cur + 1);
    prev = cur;
  }
  return files;
}

// The line cleaning's byte rules (blank lines, trailing blanks, indentation; the junk and
// repeated-title kinds need ICU and the chapter rules), line by line with characters stepped
// from each line's start. A line ends at a line-feed unit (in UTF-16 either byte order, as
// the chapter rules read lines), whose CR unit before it belongs to the break; a blank is a space,
// a tab or a full-width space in the encoding's bytes. blankLines: 0 keep, 1 one of a run, 2 none;
// indent: 0 keep, 1 two full-width spaces, 2 none.
inline std::string CleanedLines(std::string_view text, int encoding, int blankLines, bool trailing,
                                int indent) {
  const bool utf16 = encoding == 3 || encoding == 4;
  const std::size_t unit = utf16 ? 2 : 1;
  auto ascii = [&](char c) {
    if (!utf16) return std::string(1, c);
    return encoding == 3 ? std::string{c, '\0'} : std::string{'\0', c};
  };
  std::string wide;
  switch (encoding) {
    case 0:
    case 1:
      wide = "\xA1\xA1";
      break;
    case 5:
      wide = "\xA1\x40";
      break;
    case 2:
      wide = "\xE3\x80\x80";
      break;
    case 3:
      wide = std::string("\x00\x30", 2);
      break;
    default:
      wide = std::string("\x30\x00", 2);
      break;
  }
  const std::string blanks[] = {ascii(' '), ascii('\t'), wide};
  const std::string lf = ascii('\n');
  const std::string cr = ascii('\r');
  std::string out;
  bool previousBlank = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = start;
    // In UTF-16 a unit 0A 00 or 00 0A, in either byte order, as the chapter rules read lines.
    auto breaks = [&](std::size_t at) {
      if (at + unit > text.size()) return false;
      const std::string_view u = text.substr(at, unit);
      return u == lf || (utf16 && (u == std::string("\n\0", 2) || u == std::string("\0\n", 2)));
    };
    while (end < text.size() && !breaks(end)) {
      end += unit;
    }
    end = std::min(end, text.size());
    const std::size_t next = end < text.size() ? end + unit : end;
    std::size_t contentEnd = end;
    if (end >= start + unit && text.substr(end - unit, unit) == cr) contentEnd -= unit;
    const std::string_view content = text.substr(start, contentEnd - start);
    std::size_t first = 0;
    std::size_t last = 0;
    bool leading = true;
    for (std::size_t i = 0; i < content.size();) {
      const std::size_t n = CharLength(encoding, content, i);
      const std::string_view ch = content.substr(i, n);
      const bool blank = ch == blanks[0] || ch == blanks[1] || ch == blanks[2];
      if (leading && blank) first = i + n;
      if (!blank) {
        leading = false;
        last = i + n;
      }
      i += n;
    }
    const bool isBlank = leading;
    const std::string_view lineBreak = text.substr(contentEnd, next - contentEnd);
    if (isBlank) {
      if (!(blankLines == 2 || (blankLines == 1 && previousBlank))) {
        if (!trailing) out += content;
        out += lineBreak;
      }
      previousBlank = true;
    } else {
      previousBlank = false;
      if (indent == 1) out += wide + wide;
      const std::size_t from = indent == 0 ? 0 : first;
      out += content.substr(from, (trailing ? last : content.size()) - from);
      out += lineBreak;
    }
    start = next;
  }
  return out;
}

// ---- conversion between encodings -----------------------------------------------------------
// One character at a time, from the definitions in encoding.h: the double-byte encodings
// through ICU's converters asked about each character on its own (the program learns a
// table of them once), UTF-8 and UTF-16 by their rules. Encodings numbered as above.

inline UConverter* IcuConverter(int encoding) {
  static const char* const kNames[] = {"windows-936", "gb18030",  "UTF-8",
                                       "UTF-16LE",    "UTF-16BE", "windows-950"};
  thread_local UConverter* converters[6] = {};
  UConverter*& c = converters[encoding];
  if (c == nullptr) {
    UErrorCode err = U_ZERO_ERROR;
    c = ucnv_open(kNames[encoding], &err);
    ucnv_setFallback(c, false);
    ucnv_setToUCallBack(c, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
    ucnv_setFromUCallBack(c, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  }
  return c;
}

inline void AppendUnits(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  }
}

// A text's characters, or the offset of its first byte that is no character.
struct SlowlyDecoded {
  std::u32string characters;
  bool refused = false;
  std::size_t first = 0;
};

inline SlowlyDecoded DecodeSlowly(int encoding, std::string_view s) {
  SlowlyDecoded out;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = CharLength(encoding, s, i);
    const unsigned char b = At(s, i);
    char32_t c = 0;
    bool ok = true;
    if (encoding == 2) {
      // UTF-8: the announced length, the shortest form, no surrogate, up to U+10FFFF.
      const std::size_t want = b < 0x80                 ? 1
                               : b >= 0xC2 && b <= 0xDF ? 2
                               : b >= 0xE0 && b <= 0xEF ? 3
                               : b >= 0xF0 && b <= 0xF4 ? 4
                                                        : 0;
      ok = want == n;
      c = n == 1 ? b : n == 2 ? b & 0x1F : n == 3 ? b & 0x0F : b & 0x07;
      for (std::size_t k = 1; k < n; ++k) c = c << 6 | (At(s, i + k) & 0x3F);
      const char32_t least = n == 1 ? 0 : n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
      ok = ok && c >= least && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
    } else if (encoding == 3 || encoding == 4) {
      auto unit = [&](std::size_t k) -> char32_t {
        return encoding == 3 ? At(s, k) | At(s, k + 1) << 8 : At(s, k) << 8 | At(s, k + 1);
      };
      if (n == 1) {
        ok = false;
      } else if (n == 4) {
        c = 0x10000 + ((unit(i) - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      } else {
        c = unit(i);
        ok = !(c >= 0xD800 && c <= 0xDFFF);
      }
    } else if (n == 1) {
      // A lone 0x80 or 0xFF (and any lead byte alone) is no character.
      c = b;
      ok = b < 0x80;
    } else {
      UChar units[4];
      UErrorCode err = U_ZERO_ERROR;
      UConverter* conv = IcuConverter(encoding);
      ucnv_resetToUnicode(conv);
      const int32_t got =
          ucnv_toUChars(conv, units, 4, s.data() + i, static_cast<int32_t>(n), &err);
      ok = U_SUCCESS(err) && got >= 1 && got <= 2;
      if (ok && got == 2) {
        ok = units[0] >= 0xD800 && units[0] <= 0xDBFF;
        c = 0x10000 + ((units[0] - 0xD800u) << 10) + (units[1] - 0xDC00u);
      } else if (ok) {
        c = units[0];
      }
    }
    if (!ok) {
      out.refused = true;
      out.first = i;
      return out;
    }
    out.characters += c;
    i += n;
  }
  return out;
}

// The bytes of characters in an encoding; a character it lacks is "?" and counted. GBK and
// Big5 write a character only as ASCII or as a pair that reads back as it (not as the one
// byte 0x80 that Windows writes the euro sign as in GBK).
inline std::string EncodeSlowly(int encoding, const std::u32string& characters,
                                std::size_t& unencodable) {
  std::string out;
  unencodable = 0;
  for (char32_t c : characters) {
    std::u16string units;
    AppendUnits(units, c);
    if (encoding == 3 || encoding == 4) {
      for (char16_t u : units) {
        out += static_cast<char>(encoding == 3 ? u & 0xFF : u >> 8);
        out += static_cast<char>(encoding == 3 ? u >> 8 : u & 0xFF);
      }
      continue;
    }
    char bytes[8];
    UErrorCode err = U_ZERO_ERROR;
    UConverter* conv = IcuConverter(encoding);
    ucnv_resetFromUnicode(conv);
    const int32_t got =
        ucnv_fromUChars(conv, bytes, sizeof bytes, reinterpret_cast<const UChar*>(units.data()),
                        static_cast<int32_t>(units.size()), &err);
    const std::string written(bytes, U_SUCCESS(err) && got > 0 ? static_cast<std::size_t>(got) : 0);
    bool fits = !written.empty();
    if (encoding == 0 || encoding == 5) {
      fits = fits && (written.size() == 2 || At(written, 0) < 0x80) &&
             DecodeSlowly(encoding, written).characters == std::u32string(1, c);
    }
    if (fits) {
      out += written;
    } else {
      ++unencodable;
      out += '?';
    }
  }
  return out;
}

// The harnesses stop the run with the inputs shown, so that a finding reads on its own.
inline std::string Hex(std::string_view s) {
  std::string out;
  char buf[4];
  for (unsigned char c : s) {
    std::snprintf(buf, sizeof buf, "%02X ", c);
    out += buf;
  }
  return out;
}
// what failed, the bytes the check was made on, and (where the harness derived those
// bytes from its input) the input that reproduces it.
[[noreturn]] inline void Fail(const char* what, std::string_view checked,
                              std::string_view input = {}) {
  std::fprintf(stderr, "MISMATCH: %s\nchecked: %s\n", what, Hex(checked).c_str());
  if (!input.empty()) std::fprintf(stderr, "input: %s\n", Hex(input).c_str());
  std::abort();
}

}  // namespace morvane::reference
