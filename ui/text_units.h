// SPDX-License-Identifier: MIT
#pragma once
// The characters of a byte text as the edit box steps and shows them, without a toolkit:
// how many bytes one step of the cursor takes, and what that step shows.
//
// A unit is a character of the text's encoding, or a CR LF together, or a byte that is no
// character. A lone CR shows as kLoneCrMark and a line break shows nothing; bytes that
// decode to no character show as their private-use escapes, so that what is shown types
// back as the same bytes (text_boundary.h crosses into Qt with the same rules).
#include <cstddef>
#include <string_view>

#include "core/encoding.h"

namespace morvane::ui {

inline constexpr char16_t kLoneCrMark = u'\u240D';

// The bytes of one step of the cursor at a character start: CR LF together, a GBK lead
// byte with its trail byte, any other byte alone (the steps of the lossless decoding).
// The position after a byte below 0x40 (a line feed, say) is always a character start.
std::size_t UnitLength(std::string_view bytes, std::size_t at);

// What one unit shows: no character for a line break, one for most units, two for a
// lead and trail byte that GBK leaves unassigned (each byte as its private-use escape).
struct ShownUnit {
  char16_t first = 0;
  char16_t second = 0;
  int count = 0;
  bool lineBreak = false;
};
ShownUnit ShowUnit(std::string_view bytes, std::size_t at, std::size_t length);

// The same in any encoding: CR LF together, else one character as CharLength steps it.
std::size_t UnitLength(Encoding encoding, std::string_view bytes, std::size_t at);
// A character beyond the basic plane shows as its two surrogates; a byte that is no
// character as its private-use escape.
ShownUnit ShowUnit(Encoding encoding, std::string_view bytes, std::size_t at, std::size_t length);

}  // namespace morvane::ui
