// The number conversions the size displays and the boxes depend on: ToInteger against a
// fold-then-parse loop, ToText(double) against the C library's "%.13g" applied to the value
// rounded to 13 digits on its 17-digit expansion (halves away from zero), IntegerPart
// against modf, ToText(int) against "%d".
//
// Input: 8 bytes of a double, 4 of an int, then the text for ToInteger.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/byte_text.h"
#include "core/numbers.h"
#include "reference.h"

namespace ref = morvane::reference;

namespace {

// Full-width forms to ASCII by character stepping, then the leading decimal integer,
// saturated at the int range.
int ReferenceToInteger(std::string_view text) {
  std::string folded;
  for (std::size_t i = 0; i < text.size();) {
    unsigned char b = ref::At(text, i);
    if (b < 0x80) {
      folded += static_cast<char>(b);
      i += 1;
      continue;
    }
    if (i + 1 == text.size()) break;
    unsigned char t = ref::At(text, i + 1);
    if (b == 0xA3 && t >= 0xA1 && t <= 0xFE) {
      folded += static_cast<char>(t & 0x7F);
    } else if (b == 0xA1 && t == 0xA1) {
      folded += ' ';
    } else if (b == 0xA1 && t == 0xAB) {
      folded += '~';
    } else if (b == 0xA1 && (t == 0xEE || t == 0xEF)) {
      folded += '*';
    } else {
      folded += text.substr(i, 2);
    }
    i += 2;
  }
  std::size_t i = folded.find_first_not_of(" \t\n\v\f\r");
  if (i == std::string::npos) return 0;
  bool negative = folded[i] == '-';
  if (folded[i] == '-' || folded[i] == '+') ++i;
  long long value = 0;
  for (; i < folded.size() && folded[i] >= '0' && folded[i] <= '9'; ++i)
    value = std::min(value * 10 + (folded[i] - '0'), 1LL << 32);
  value = negative ? -value : value;
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// The 13-digit decimal nearest the 17-digit expansion (a half going up), made a double
// again and printed by "%.13g": a 13-digit decimal survives that round trip unchanged.
std::string ReferenceToText(double value) {
  char expansion[40];
  std::snprintf(expansion, sizeof expansion, "%.16e", std::fabs(value));
  std::string digits;
  const char* p = expansion;
  for (; *p != 'e'; ++p)
    if (*p != '.') digits += *p;
  int exponent = std::atoi(p + 1);
  long long rounded = std::stoll(digits.substr(0, 13)) + (digits[13] >= '5' ? 1 : 0);
  std::string decimal = std::to_string(rounded) + "e" + std::to_string(exponent - 12);
  double nearest = std::strtod(decimal.c_str(), nullptr);
  char out[64];
  std::snprintf(out, sizeof out, "%.13g", std::signbit(value) ? -nearest : nearest);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  std::string_view input(reinterpret_cast<const char*>(data), size);
  double real = 0;
  int whole = 0;
  in.ConsumeData(&real, sizeof real);
  in.ConsumeData(&whole, sizeof whole);
  std::string text = in.ConsumeRemainingBytesAsString();
  text = text.substr(0, text.find('\0'));

  if (morvane::ToInteger(morvane::ByteText(text)) != ReferenceToInteger(text))
    ref::Fail("ToInteger", text, input);
  if (morvane::ToText(whole).view() != std::to_string(whole)) ref::Fail("ToText(int)", input);

  // Sizes divided by 1024 are what the program shows; they end in halves often.
  for (double x : {real, whole / 1024.0, std::ldexp(static_cast<double>(whole), -20)}) {
    if (!std::isfinite(x)) continue;
    std::string got(morvane::ToText(x).view());
    std::string want = ReferenceToText(x);
    // The exponent form is never shown by the program, and its spelling is left open.
    if (want.find('e') == std::string::npos && got != want)
      ref::Fail(("ToText(double) gave " + got + ", not " + want).c_str(), input);
    if (std::fabs(x) < 2e9) {
      double i = 0;
      double f = std::modf(x, &i);
      if (std::fabs(f) > 0.999999999999) i += x > 0 ? 1 : -1;
      if (morvane::IntegerPart(x) != static_cast<int>(i)) ref::Fail("IntegerPart", input);
    }
  }
  return 0;
}
