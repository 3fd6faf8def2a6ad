// SPDX-License-Identifier: MIT
#pragma once
// Numbers as chapter headings write them, and the blanks around them: the one reading of
// Arabic and full-width digits, of Chinese numerals (一千零二十四, 一〇二四, 壹佰), and of
// what counts as a blank at the edges of a line, shared by the chapter rules, the
// automatic rule, the chapter map and the line cleaning.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace morvane {

// The largest number a heading may carry; a longer run of numerals is no number.
inline constexpr std::int64_t kLargestChapterNumber = std::int64_t{1} << 53;

// 0..9 for an Arabic or full-width digit, else -1.
int DigitOf(char16_t c);
bool IsDigit(char16_t c);
// 0..9 for a Chinese digit (零〇, 一壹, 二两贰 ... 九玖), else -1.
int ChineseDigitOf(char16_t c);
// 10, 100, 1000, 10000 or 100000000 for 十拾, 百佰, 千仟, 万, 亿; else 0.
std::int64_t MultiplierOf(char16_t c);
// Any character a heading's number may be written with: digits, Chinese digits and
// multipliers.
bool IsNumeral(char16_t c);

// A run of Arabic or full-width digits at the start of text, and the characters it took;
// nothing when there is none or it exceeds kLargestChapterNumber.
std::optional<std::int64_t> ArabicNumber(std::u16string_view text, std::size_t& taken);
// A run of Chinese numerals at the start of text, with multipliers (一千零二十四, a bare
// 十二 is twelve) or digit by digit (一〇二四); the characters it took.
std::optional<std::int64_t> ChineseNumber(std::u16string_view text, std::size_t& taken);

// The blanks that may stand before a heading, around a title and at the edges of a line:
// space, tab, the full-width space, and the CR of a CR LF line end.
bool IsBlank(char16_t c);
// line without the blanks at its two ends.
std::u16string_view TrimmedBlanks(std::u16string_view line);

}  // namespace morvane
