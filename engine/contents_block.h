// SPDX-License-Identifier: MIT
#pragma once
// A table of contents at the front of a book, among the headings a written rule found:
// heading lines with nothing but blank lines between them, listing the chapters the text
// then opens. It is no chapter of the book and is cut at nowhere: it stays in the text
// before the first chapter. (The automatic rule sets such a block aside itself.)

#include <cstddef>
#include <vector>

#include "core/byte_text.h"
#include "core/encoding.h"
#include "engine/chapter_rules.h"

namespace morvane {

// Where the block begins among headings and how many of them it holds; count 0 when the
// text has none. Only a block before the first heading that heads text counts, of at
// least three lines; it ends before the heading that repeats its first line (the book's
// first chapter, after the list), else before its last line, which heads text.
struct ContentsBlock {
  std::size_t first = 0;
  std::size_t count = 0;
};
ContentsBlock FindContentsBlock(const ByteText& text, const std::vector<Heading>& headings,
                                Encoding encoding);

}  // namespace morvane
