// SPDX-License-Identifier: MIT
#include "engine/contents_block.h"

#include <string_view>

#include "engine/chapter_auto.h"
#include "engine/chinese_numerals.h"

namespace morvane {
namespace {

constexpr std::size_t kLeastEntries = 3;
// A heading line is short; the bytes read of one are bounded.
constexpr std::size_t kMostLineBytes = 1024;

// Blank lines hold blanks and line breaks alone.
bool IsBlankUnit(char16_t c) {
  return IsBlank(c) || c == u'\n';
}

// Only blank lines stand between two lines of a table of contents: a short line of text
// between headings is a chapter's (and the written rule takes body lines for headings).
bool Blank(std::u16string_view text) {
  for (const char16_t c : text) {
    if (!IsBlankUnit(c)) return false;
  }
  return true;
}

}  // namespace

ContentsBlock FindContentsBlock(const ByteText& text, const std::vector<Heading>& headings,
                                Encoding encoding) {
  const std::string_view bytes = text.view();
  const int unit = static_cast<int>(UnitBytes(encoding));
  // The heading's line and whether only blank lines lie between it and the next heading.
  const auto lineOf = [&](std::size_t i) {
    const auto from = static_cast<std::size_t>(headings[i].offset());
    const std::size_t end = LineEndOf(bytes, from, unit, kMostLineBytes);
    return Decode(encoding, bytes.substr(from, end - from)).text;
  };
  const auto adjacent = [&](std::size_t i) {
    if (!headings[i].startsLine() || !headings[i + 1].startsLine()) return false;
    const auto from = static_cast<std::size_t>(headings[i].offset());
    const auto to = static_cast<std::size_t>(headings[i + 1].offset());
    const std::size_t end = LineEndOf(bytes, from, unit, kMostLineBytes);
    // Between them: the rest of the line break and blank lines, a few hundred bytes at most.
    return end < to && to - end <= kMostLineBytes &&
           Blank(Decode(encoding, bytes.substr(end, to - end)).text);
  };
  // The block opens the headings: the written rule finds no preface before it.
  std::size_t end = 0;
  while (end + 1 < headings.size() && adjacent(end)) ++end;
  std::size_t entries = end;  // all but the last, which heads text
  if (entries < kLeastEntries) return {};
  const HeadingLine first = ReadHeadingLine(lineOf(0));
  for (std::size_t k = 2; k <= end; ++k) {
    if (RepeatsHeading(first, ReadHeadingLine(lineOf(k)))) {
      entries = k;
      break;
    }
  }
  if (entries >= kLeastEntries) return {0, entries};
  return {};
}

}  // namespace morvane
