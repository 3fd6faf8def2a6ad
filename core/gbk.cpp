// SPDX-License-Identifier: MIT
#include "core/gbk.h"

#include <algorithm>

#include "core/encoding.h"

namespace morvane {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::size_t Utf8SequenceAt(std::string_view s, char32_t* c) {
  const auto* b = reinterpret_cast<const unsigned char*>(s.data());
  const std::size_t n = s.size();
  if (n == 0) return 0;
  if (b[0] < 0x80) {
    *c = b[0];
    return 1;
  }
  std::size_t len;
  char32_t min;
  char32_t value;
  if (b[0] >= 0xC2 && b[0] <= 0xDF) {
    len = 2, min = 0x80, value = b[0] & 0x1F;
  } else if (b[0] >= 0xE0 && b[0] <= 0xEF) {
    len = 3, min = 0x800, value = b[0] & 0x0F;
  } else if (b[0] >= 0xF0 && b[0] <= 0xF4) {
    len = 4, min = 0x10000, value = b[0] & 0x07;
  } else {
    return 0;
  }
  if (n < len) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    if ((b[k] & 0xC0) != 0x80) return 0;
    value = (value << 6) | (b[k] & 0x3F);
  }
  if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *c = value;
  return len;
}

bool IsByteStandIn(char16_t unit) {
  return unit >= kRawBase + 0x80 && unit <= kRawBase + 0xFF;
}

std::u16string DecodeGbk(std::string_view gbk) {
  return Decode(Encoding::kGbk, gbk.substr(0, std::min(gbk.size(), gbk.find('\0')))).text;
}

std::string EncodeGbk(std::u16string_view text) {
  // A U+0000 in the text would end a ByteText made of this; it stays here for callers
  // that want the bytes.
  return EncodeShown(Encoding::kGbk, text);
}

std::string Utf8FromGbk(std::string_view gbk) {
  std::u16string units = DecodeGbk(gbk);
  std::string out;
  out.reserve(units.size() * 3);
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

ByteText GbkFromUtf8(std::string_view utf8) {
  std::u16string units;
  units.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c = 0;
    std::size_t len = Utf8SequenceAt(utf8.substr(i), &c);
    if (len == 0) {
      // Not UTF-8: the byte is taken as it stands, so that a legacy GBK name given
      // as raw bytes keeps its GBK bytes.
      const auto b = static_cast<unsigned char>(utf8[i]);
      units.push_back(b < 0x80 ? b : static_cast<char16_t>(kRawBase + b));
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      units.push_back(static_cast<char16_t>(c));
    }
    i += len;
  }
  return ByteText(EncodeGbk(units));
}

}  // namespace morvane
