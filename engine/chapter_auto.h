// SPDX-License-Identifier: MIT
#pragma once
// The automatic rule: what marks the chapters of this book, chosen from the book itself.
//
// One pass over the lines collects every line that could be a heading, sorted by its kind:
// 第 + a number + one unit (章 节 回 卷 集 部 篇 话, one kind each; 【第一章 标题】 in brackets
// counts as its inner heading), a plain number with a separator or a title ("1、标题",
// "001 标题"), "Chapter N", and the named parts (序章 楔子 尾声 后记 番外 完本感言 …). Each
// kind is judged on the whole text: how many lines it finds, how many of its numbers follow
// the one before (a restart at 1 counts as following), and how many of its chapters have an
// ordinary size (between 1/20 and 5 times the median). The best kind marks the chapters;
// the named parts join it. When no kind finds three headings, the written rule (near) is
// taken, which also finds headings that do not start their line.
//
// Then the book's own habits are undone: a heading repeated on the next non-blank line (the
// same line, or the same number of the same kind) is one heading; a volume line (第N卷, 第N部,
// 第N篇) directly before a chapter heading begins that chapter and names its volume; a
// section heading (第N节) numbered anew under chapter headings gives way to those chapters.

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/byte_text.h"
#include "core/encoding.h"
#include "engine/chapter_rules.h"

namespace morvane {

// A volume line: where it begins, and where the heading of the chapter it opens begins
// (the same offset when the volume line stands as a chapter of its own).
struct Volume {
  std::int64_t offset = 0;
  std::int64_t heading = 0;

  friend bool operator==(const Volume&, const Volume&) = default;
};

struct FoundChapters {
  std::vector<Heading> headings;  // ascending; a chapter opened by a volume begins at it
  std::vector<Volume> volumes;    // ascending
};

FoundChapters FindChaptersAutomatically(const ByteText& text, Encoding encoding);

// The characters a heading line of the automatic rule may open with, blanks aside: a
// line that opens with none of them need not be decoded to be turned away.
inline constexpr std::u16string_view kHeadingOpeners =
    u"第序楔引前尾后番完Cc【[〔「0123456789０１２３４５６７８９";

// A line as the automatic rule reads it: its kind of heading (none: -1), the number it
// carries (none: -1) and a hash of its text, blanks trimmed.
struct HeadingLine {
  int kind = -1;
  std::int64_t number = -1;
  std::uint32_t hash = 0;

  bool isHeading() const { return kind >= 0; }
};
HeadingLine ReadHeadingLine(std::u16string_view line);
// Whether next, standing on the next non-blank line after the heading line heading,
// repeats it: the same line, or the same number of the same kind. The automatic rule takes
// such a pair for one heading.
bool RepeatsHeading(const HeadingLine& heading, const HeadingLine& next);

}  // namespace morvane
