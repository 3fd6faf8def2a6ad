// SPDX-License-Identifier: MIT
#pragma once
// The book a text makes with no choices made: a title repeated on the next line taken
// away, the automatic rule's map, and the title, author, description and language the text
// says of itself. morvane-cli epub makes it without options, the desktop's 转换为EPUB opens
// the EPUB window on it and the 批量 window writes it for every file ticked, so that all
// three make the same book of one file.

#include <cstddef>
#include <variant>

#include "core/byte_text.h"
#include "core/encoding.h"
#include "core/long_work.h"
#include "core/path.h"
#include "engine/chapter_map.h"
#include "engine/epub_book.h"

namespace morvane {

struct DefaultBookPlan {
  ChapterPlan plan;              // of the cleaned text, the automatic rule's
  std::size_t cleanedLines = 0;  // the repeated titles taken away
};

// The plan of a text as a book, as long work (progress may be null); a rule error for a
// search that gave up. A stop request ends it early with whatever it found.
std::variant<DefaultBookPlan, RuleError> PlanDefaultBook(const ByteText& text, Encoding encoding,
                                                         Progress* progress = nullptr);

// What the book of the file at path (its text read in encoding) says of itself: the
// metadata of its name and header (engine/book_metadata.h), its language, the file's time.
BookInfo DefaultBookInfo(const Path& path, const ByteText& text, Encoding encoding);

// The chapters of the book's table of contents, the text before the first heading aside.
std::size_t BookChapters(const ChapterPlan& plan);

}  // namespace morvane
