// The line cleaning (engine/line_cleaning.h) against the plain line loop of its byte rules
// in every encoding: blank lines, trailing blanks and indentation give the reference's
// bytes, the cleaning a part at a time gives what the list of changes makes, and each
// change names a line of the text.
//
// Input: a mode byte (bits 0..2: the encoding, bits 3..4: blank lines, bit 5: trailing
// blanks, bits 6..7: indentation), then the text.

#include <cstdint>
#include <string>
#include <vector>

#include "core/byte_text.h"
#include "core/encoding.h"
#include "engine/line_cleaning.h"
#include "reference.h"

namespace ref = morvane::reference;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const int mode = data[0];
  const int encodingIndex = (mode & 7) % 6;
  const int blankLines = (mode >> 3 & 3) % 3;
  const bool trailing = (mode >> 5 & 1) != 0;
  const int indent = (mode >> 6 & 3) % 3;
  const auto encoding = static_cast<morvane::Encoding>(encodingIndex);
  const morvane::ByteText text = morvane::ByteText::Copy(input.substr(1));

  morvane::LineCleaning cleaning;
  cleaning.blankLines = blankLines == 1   ? morvane::BlankLines::kOne
                        : blankLines == 2 ? morvane::BlankLines::kNone
                                          : morvane::BlankLines::kKeep;
  cleaning.trailingSpace = trailing;
  cleaning.indentation = indent == 1   ? morvane::Indentation::kFullWidth
                         : indent == 2 ? morvane::Indentation::kNone
                                       : morvane::Indentation::kKeep;
  const auto found = morvane::FindLineChanges(text, encoding, cleaning);
  const auto& changes = std::get<std::vector<morvane::LineChange>>(found);
  std::int64_t lines = 0;
  for (std::size_t at = 0; at < text.size(); ++lines) {
    at = morvane::LineEndOf(text.view(), at, encodingIndex == 3 || encodingIndex == 4 ? 2 : 1,
                            text.size());
    at += encodingIndex == 3 || encodingIndex == 4 ? 2 : 1;
  }
  for (std::size_t i = 0; i < changes.size(); ++i) {
    if (changes[i].line < 1 || changes[i].line > lines ||
        (i > 0 && changes[i].line < changes[i - 1].line)) {
      ref::Fail("a change names no line of the text, or out of order", text.view(), input);
    }
  }
  const morvane::ByteText made =
      morvane::WithChanges(text, encoding, cleaning.indentation, changes);
  if (made.view() != ref::CleanedLines(text.view(), encodingIndex, blankLines, trailing, indent)) {
    ref::Fail("cleaned lines differ from the line loop", text.view(), input);
  }
  std::string parts;
  morvane::CleanLinesInParts(text, encoding, cleaning, [&](std::string_view part) {
    parts += part;
    return true;
  });
  if (parts != made.view()) ref::Fail("the cleaning in parts differs from the list", text.view(), input);
  return 0;
}
