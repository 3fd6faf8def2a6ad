#pragma once
// A chapter map read back from the lines `chapters --list` writes, as the user edited them:
// rows deleted, titles changed, rows added with no more than an offset.

#include <string_view>
#include <variant>

#include "core/byte_text.h"
#include "core/encoding.h"
#include "engine/chapter_map.h"

namespace morvane {

struct MapFileError {
  enum class Problem {
    kColumns,       // not 2 to 7 tab-separated columns, or a column that is no number where
                    // one belongs (index, offset, length, number) or no flags
    kBeyondText,    // an offset at or past the end of the text
    kNotAscending,  // an offset not above the one before
    kNotBoundary,   // an offset inside a character of the text's encoding
    kVolume,        // a new volume whose line is not where its row begins
  };
  int line = 0;  // from 1
  Problem problem = Problem::kColumns;
};

// The map the lines describe, for text. Every row begins a chapter at its offset; a title
// that differs from the one read from the text is kept as the chapter's title; a volume
// that differs from the row before's is the line at the row's offset. Lengths, numbers
// and flags are the text's, whatever the row says. Blank lines are passed over; a CR
// before a line break is no part of the line.
std::variant<ChapterMap, MapFileError> ReadMapFile(std::string_view utf8, const ByteText& text,
                                                   Encoding encoding);

}  // namespace morvane
