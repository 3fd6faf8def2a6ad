#pragma once
// The converter behind gbk.cpp: ICU's windows-936 converter (gbk_icu.cpp). gbk.cpp holds
// the rule (raw escapes, the per-character path); this is only the table.

#include <string>
#include <string_view>

namespace morvane::gbk_backend {

// A byte that is no GBK character travels as U+F700 + byte (U+F780..U+F7FF).
inline constexpr char16_t kRawBase = 0xF700;
inline bool IsRawEscape(char16_t u) {
  return u >= 0xF780 && u <= 0xF7FF;
}
inline char16_t RawEscape(unsigned char b) {
  return b < 0x80 ? b : static_cast<char16_t>(kRawBase + b);
}

// Decodes bytes in bulk. Where a converter meets a sequence that is no character it
// either writes the raw escape of each of its bytes, or gives up and returns an empty
// text: the caller then takes the per-character path.
std::u16string Decode(std::string_view bytes);
// Encodes a text that holds no raw escapes; whatever GBK cannot hold becomes one "?"
// per code point.
std::string Encode(std::u16string_view text);

}  // namespace morvane::gbk_backend
