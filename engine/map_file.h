// SPDX-License-Identifier: MIT
#pragma once
// A chapter map read back from the lines `chapters --list` writes, as the user edited them:
// rows deleted, titles changed, rows added with no more than an offset.

#include <string_view>
#include <variant>

#include "core/byte_text.h"
#include "core/encoding.h"
#include "core/files.h"
#include "core/path.h"
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
    kCannotRead,    // the file itself cannot be read (read says why)
    kEmpty,         // no row at all
    kBinary,        // zero bytes, control characters or bytes no character of its encoding
  };
  MapFileError() = default;
  MapFileError(int at, Problem why) : line(at), problem(why) {}

  int line = 0;  // from 1; 0 for the whole file
  Problem problem = Problem::kColumns;
  // For kCannotRead: the file and the failed read (its text left out).
  Path path;
  TextRead read;
};

// The map the lines describe, for text. Every row begins a chapter at its offset; a title
// that differs from the one read from the text is kept as the chapter's title; a volume
// that differs from the row before's is the line at the row's offset. Lengths, numbers
// and flags are the text's, whatever the row says. Blank lines are passed over; a CR
// before a line break is no part of the line.
std::variant<ChapterMap, MapFileError> ReadMapFile(std::string_view utf8, const ByteText& text,
                                                   Encoding encoding);

// The map in the file at path, the one reader of map files for the desktop and the command
// line. The file's encoding is detected as a text's is: a map saved as UTF-16 (Notepad's
// "Unicode", with or without its byte-order mark) or in GBK is read as one in UTF-8. A
// file with no row, or one that is no text (zero bytes, control characters, bytes that
// are no character), is refused, never taken for an empty map.
std::variant<ChapterMap, MapFileError> ReadMapFileAt(const Path& path, const ByteText& text,
                                                     Encoding encoding);

}  // namespace morvane
