// SPDX-License-Identifier: MIT
#include "core/numbers.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "core/fatal.h"

namespace morvane {
namespace {

// Full-width forms folded to their one-byte forms, by character stepping. A lone last
// byte of 0x80 or above ends the folding.
std::string FoldFullWidth(std::string_view in) {
  std::string out;
  out.reserve(in.size());
  const std::size_t n = in.size();
  for (std::size_t i = 0; i < n;) {
    unsigned char b = static_cast<unsigned char>(in[i]);
    if (b < 0x80) {
      out.push_back(static_cast<char>(b));
      ++i;
      continue;
    }
    if (i + 1 == n) break;
    unsigned char t = static_cast<unsigned char>(in[i + 1]);
    if (b == 0xA3 && t >= 0xA1 && t <= 0xFE) {
      out.push_back(static_cast<char>(t & 0x7F));
    } else if (b == 0xA1 && t == 0xA1) {
      out.push_back(' ');
    } else if (b == 0xA1 && t == 0xAB) {
      out.push_back('~');
    } else if (b == 0xA1 && (t == 0xEE || t == 0xEF)) {
      out.push_back('*');
    } else {
      out.push_back(static_cast<char>(b));
      out.push_back(static_cast<char>(t));
    }
    i += 2;
  }
  return out;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

int ToInteger(const ByteText& text) {
  std::string folded = FoldFullWidth(text.view());
  std::size_t i = 0;
  while (i < folded.size() && IsSpace(folded[i])) ++i;
  bool negative = false;
  if (i < folded.size() && (folded[i] == '+' || folded[i] == '-')) {
    negative = folded[i] == '-';
    ++i;
  }
  // Saturates at the int range; the limit of a negative value is one larger.
  long long value = 0;
  const long long limit = negative ? -static_cast<long long>(std::numeric_limits<int>::min())
                                   : std::numeric_limits<int>::max();
  for (; i < folded.size() && folded[i] >= '0' && folded[i] <= '9'; ++i) {
    value = value * 10 + (folded[i] - '0');
    if (value > limit) value = limit;
  }
  return static_cast<int>(negative ? -value : value);
}

int IntegerPart(double x) {
  if (std::isnan(x)) return 0;
  double whole = 0;
  double fraction = std::modf(x, &whole);
  if (std::fabs(fraction) > 0.999999999999) whole += x > 0 ? 1.0 : -1.0;
  if (whole >= 2147483647.0) return std::numeric_limits<int>::max();
  if (whole <= -2147483648.0) return std::numeric_limits<int>::min();
  return static_cast<int>(whole);
}

double Remainder(double a, double b) {
  if (b == 0) {
    // "不能求余数于零" (cannot take a remainder by zero)
    RuntimeError(ByteText("\xB2\xBB\xC4\xDC\xC7\xF3\xD3\xE0\xCA\xFD\xD3\xDA\xC1\xE3"));
  }
  return std::fmod(a, b);
}

ByteText ToText(int value) {
  return ByteText(std::to_string(value));
}

ByteText ToText(double value) {
  constexpr int kDigits = 13;
  if (!std::isfinite(value)) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.13g", value);
    return ByteText(std::string_view(buffer));
  }
  // The 17 significant digits that identify the value, as d.dddddddddddddddde±XX.
  char expansion[40];
  std::snprintf(expansion, sizeof expansion, "%.16e", value);
  const char* p = expansion;
  bool negative = *p == '-';
  if (negative) ++p;
  char digits[17];
  int count = 0;
  for (; *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9') digits[count++] = *p;
  }
  int exponent = std::atoi(p + 1);

  // Round to kDigits with a half going away from zero: the 14th digit alone decides.
  bool roundUp = digits[kDigits] >= '5';
  if (roundUp) {
    int i = kDigits - 1;
    while (i >= 0 && digits[i] == '9') digits[i--] = '0';
    if (i >= 0) {
      ++digits[i];
    } else {
      // 9.99...9 became 10.00...0: one more place before the point.
      digits[0] = '1';
      for (int k = 1; k < kDigits; ++k) digits[k] = '0';
      ++exponent;
    }
  }
  int used = kDigits;
  while (used > 1 && digits[used - 1] == '0') --used;
  bool zero = used == 1 && digits[0] == '0';
  if (zero) exponent = 0;

  std::string out;
  if (negative) out.push_back('-');
  if (exponent < -4 || exponent >= kDigits) {
    // Exponent form, as %g writes it: d.ddde+XX.
    out.push_back(digits[0]);
    if (used > 1) {
      out.push_back('.');
      out.append(digits + 1, static_cast<std::size_t>(used - 1));
    }
    char tail[16];
    std::snprintf(tail, sizeof tail, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    out.append(tail);
  } else if (exponent < 0) {
    out.append("0.");
    out.append(static_cast<std::size_t>(-exponent - 1), '0');
    out.append(digits, static_cast<std::size_t>(used));
  } else {
    int before = exponent + 1;  // digits before the point
    for (int k = 0; k < before; ++k) out.push_back(k < used ? digits[k] : '0');
    if (used > before) {
      out.push_back('.');
      out.append(digits + before, static_cast<std::size_t>(used - before));
    }
  }
  return ByteText(std::move(out));
}

ByteText ToText(const ByteText& value) {
  return value;
}

}  // namespace morvane
