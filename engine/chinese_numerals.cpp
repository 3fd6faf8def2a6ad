// SPDX-License-Identifier: MIT
#include "engine/chinese_numerals.h"

#include <algorithm>

namespace morvane {

int DigitOf(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'０' && c <= u'９') return c - u'０';
  return -1;
}

bool IsDigit(char16_t c) {
  return DigitOf(c) >= 0;
}

int ChineseDigitOf(char16_t c) {
  static constexpr std::u16string_view kDigits[] = {u"零〇", u"一壹", u"二两贰", u"三叁", u"四肆",
                                                    u"五伍", u"六陆", u"七柒",   u"八捌", u"九玖"};
  for (int value = 0; value < 10; ++value) {
    if (kDigits[value].find(c) != std::u16string_view::npos) return value;
  }
  return -1;
}

std::int64_t MultiplierOf(char16_t c) {
  switch (c) {
    case u'十':
    case u'拾':
      return 10;
    case u'百':
    case u'佰':
      return 100;
    case u'千':
    case u'仟':
      return 1000;
    case u'万':
      return 10000;
    case u'亿':
      return 100000000;
    default:
      return 0;
  }
}

bool IsNumeral(char16_t c) {
  return DigitOf(c) >= 0 || ChineseDigitOf(c) >= 0 || MultiplierOf(c) > 0;
}

std::optional<std::int64_t> ArabicNumber(std::u16string_view text, std::size_t& taken) {
  std::int64_t value = 0;
  taken = 0;
  while (taken < text.size() && DigitOf(text[taken]) >= 0) {
    value = value * 10 + DigitOf(text[taken]);
    if (value > kLargestChapterNumber) return std::nullopt;
    ++taken;
  }
  if (taken == 0) return std::nullopt;
  return value;
}

std::optional<std::int64_t> ChineseNumber(std::u16string_view text, std::size_t& taken) {
  taken = 0;
  bool multipliers = false;
  while (taken < text.size() &&
         (ChineseDigitOf(text[taken]) >= 0 || MultiplierOf(text[taken]) > 0)) {
    multipliers = multipliers || MultiplierOf(text[taken]) > 0;
    ++taken;
  }
  if (taken == 0) return std::nullopt;
  const std::u16string_view run = text.substr(0, taken);
  if (!multipliers) {
    std::int64_t value = 0;
    for (char16_t c : run) {
      value = value * 10 + ChineseDigitOf(c);
      if (value > kLargestChapterNumber) return std::nullopt;
    }
    return value;
  }
  std::int64_t total = 0;    // whole 万 and 亿 groups
  std::int64_t section = 0;  // below 万
  std::int64_t digit = -1;   // the digit not yet multiplied
  for (char16_t c : run) {
    const int value = ChineseDigitOf(c);
    if (value >= 0) {
      digit = value;
      continue;
    }
    const std::int64_t multiplier = MultiplierOf(c);
    if (multiplier < 10000) {
      section += (digit < 0 ? 1 : digit) * multiplier;  // 十二: a bare 十 is ten
    } else {
      section += std::max<std::int64_t>(digit, 0);
      // A bare 万 or 亿 is one of them, but 一万亿 multiplies the 万 before it.
      if (section == 0 && (multiplier == 10000 || total == 0)) section = 1;
      if (total + section > kLargestChapterNumber / multiplier) return std::nullopt;
      total = multiplier == 10000 ? total + section * multiplier : (total + section) * multiplier;
      section = 0;
    }
    digit = -1;
    if (total > kLargestChapterNumber) return std::nullopt;
  }
  return total + section + std::max<std::int64_t>(digit, 0);
}

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\u3000' || c == u'\r';
}

std::u16string_view TrimmedBlanks(std::u16string_view line) {
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  return line;
}

}  // namespace morvane
