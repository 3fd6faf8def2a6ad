// SPDX-License-Identifier: MIT
#pragma once
// Whitespace cleaning: half-width spaces, CR LF pairs, tabs.
//
// Removal steps over double-byte characters, so only bytes that stand on a character
// boundary go; a full-width space (A1 A1) and a lone CR or LF stay. No other byte is
// ever removed, a lone last byte of 0x80 or above included.

#include <functional>
#include <string_view>

#include "core/byte_text.h"
#include "core/encoding.h"

namespace morvane {

// The text without its half-width spaces (0x20).
ByteText WithoutSpaces(const ByteText& text);
// The text without its CR LF pairs.
ByteText WithoutLineBreaks(const ByteText& text);
// The text without its tabs (0x09).
ByteText WithoutTabs(const ByteText& text);

// Which white space a cleaning removes; the removals run in this order.
struct CleanChoice {
  bool spaces = false;
  bool lineBreaks = false;
  bool tabs = false;
};
// The cleaned text in any encoding: spaces, CR LF pairs and tabs are characters of the
// encoding (two-byte units in UTF-16), found by stepping its characters. In GBK the same
// bytes as WithoutSpaces, WithoutLineBreaks and WithoutTabs one after another.
ByteText Cleaned(const ByteText& text, Encoding encoding, CleanChoice choice);
// The same handed to out in parts of about a mebibyte, each cut after a line feed, so that
// the cleaned text of a large file is never held whole. Stops when out returns false and
// returns false then.
bool CleanInParts(const ByteText& text, Encoding encoding, CleanChoice choice,
                  const std::function<bool(std::string_view part)>& out);

}  // namespace morvane
