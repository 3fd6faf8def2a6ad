// SPDX-License-Identifier: MIT
#include "engine/book_language.h"

#include <map>

#include "engine/script_conversion.h"

namespace morvane {
namespace {

constexpr std::size_t kSampleBytes = 256 * 1024;

bool IsHan(char16_t c) {
  return c >= 0x4E00 && c <= 0x9FFF;
}

}  // namespace

std::string LanguageOfConversion(std::string_view config) {
  if (config.empty()) return {};
  // t2s, tw2s, hk2s, tw2sp: into simplified; s2t, s2tw, s2hk, s2twp: into traditional.
  const std::size_t two = config.find('2');
  if (two == std::string_view::npos || two + 1 >= config.size()) return {};
  return config[two + 1] == 's' ? "zh-Hans" : "zh-Hant";
}

std::string BookLanguageOf(const ByteText& text, Encoding encoding) {
  if (encoding == Encoding::kBig5) return "zh-Hant";
  const std::string_view bytes = text.view();
  const std::size_t end = bytes.size() <= kSampleBytes
                              ? bytes.size()
                              : BoundaryAtOrAfter(encoding, bytes, kSampleBytes);
  // Each distinct character once, with how often it occurs: a character is traditional
  // when OpenCC's t2s changes it, simplified when s2t does (most characters are both).
  std::map<char16_t, std::size_t> counts;
  for (const char16_t c : Decode(encoding, bytes.substr(0, end)).text) {
    if (IsHan(c)) ++counts[c];
  }
  if (counts.empty()) return "zh-Hans";
  std::u16string lines;
  for (const auto& [c, count] : counts) {
    lines += c;
    lines += u'\n';
  }
  const std::string utf8 = Encode(Encoding::kUtf8, lines).bytes;
  const auto changed = [&](std::string_view config) -> std::size_t {
    const auto converter = ScriptConverter::Open(config, nullptr);
    if (!converter) return 0;
    const std::u16string converted = Decode(Encoding::kUtf8, converter->ConvertUtf8(utf8)).text;
    std::size_t weight = 0;
    std::size_t at = 0;
    for (const auto& [c, count] : counts) {
      const std::size_t stop = converted.find(u'\n', at);
      if (stop == std::u16string::npos) break;
      if (std::u16string_view(converted).substr(at, stop - at) != std::u16string_view(&c, 1)) {
        weight += count;
      }
      at = stop + 1;
    }
    return weight;
  };
  return changed("t2s") > changed("s2t") ? "zh-Hant" : "zh-Hans";
}

}  // namespace morvane
