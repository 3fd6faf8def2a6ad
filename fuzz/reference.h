#pragma once
// Slow, obvious versions of the byte-text rules, written straight from their definitions,
// for the harnesses to hold the fast versions against. Nothing here is tuned: a loop per
// rule, one character step at a time.

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

// The size cut's pieces: the count is the ceiling of size / pieceBytes, fixed in advance;
// a piece's end moves one byte further when the run of GBK lead bytes (0x81..0xFE) that
// starts right after it is odd; pieces after the end of the text are empty.
inline bool IsLead(std::string_view s, std::size_t i) {
  return i < s.size() && At(s, i) >= 0x81 && At(s, i) <= 0xFE;
}
inline std::vector<std::string_view> CutIntoPieces(std::string_view text, int pieceBytes) {
  std::vector<std::string_view> pieces;
  if (pieceBytes <= 0 || text.empty()) return pieces;
  std::size_t piece = static_cast<std::size_t>(pieceBytes);
  std::size_t count = (text.size() + piece - 1) / piece;
  std::string_view rest = text;
  for (std::size_t n = 0; n < count; ++n) {
    std::size_t end = piece;
    if (IsLead(rest, end)) {
      std::size_t k = 1;
      while (IsLead(rest, end + k)) ++k;
      if (k % 2 == 1) ++end;
    }
    if (end > rest.size()) end = rest.size();
    pieces.push_back(rest.substr(0, end));
    rest.remove_prefix(end);
  }
  return pieces;
}

// The chapter search: every "第" (B5 DA) and every "章" (D5 C2) found by FindText, each
// search starting one byte after the previous find; then the earliest unpaired "第" takes
// the next "章" that lies at most 16 bytes after it.
inline std::vector<int> ChapterStarts(std::string_view text) {
  auto all = [&](std::string_view marker) {
    std::vector<int> found;
    for (int pos = 0; (pos = FindText(text, marker, pos + 1)) != -1;) found.push_back(pos);
    return found;
  };
  std::vector<int> a = all("\xB5\xDA");
  std::vector<int> b = all("\xD5\xC2");
  std::vector<int> starts;
  std::size_t i = 0, j = 0;
  while (i < b.size() && j < a.size()) {
    if (b[i] < a[j]) {
      ++i;
    } else if (b[i] - a[j] <= 16) {
      starts.push_back(a[j]);
      ++i;
      ++j;
    } else {
      ++j;
    }
  }
  return starts;
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
[[noreturn]] inline void Fail(const char* what, std::string_view input) {
  std::fprintf(stderr, "MISMATCH: %s\ninput: %s\n", what, Hex(input).c_str());
  std::abort();
}

}  // namespace morvane::reference
