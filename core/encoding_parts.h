// SPDX-License-Identifier: MIT
#pragma once
// What the encoding files share and no caller sees: the small byte tests, UTF-8's
// well-formed sequences and the tally of ill-formed ones (detection weighs it, the codec
// counts undecodable bytes with it), and one character through ICU (the codec's, used by
// detection to learn which pairs are common characters). Included by encoding.cpp
// (stepping), encoding_detection.cpp and encoding_codec.cpp only.

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "core/encoding.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define MORVANE_X86 1
#endif

namespace morvane::encoding_parts {

inline unsigned char At(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]);
}

inline bool IsLead(unsigned char b) {
  return b >= 0x81 && b <= 0xFE;
}
inline bool IsDigit(unsigned char b) {
  return b >= 0x30 && b <= 0x39;
}
inline bool IsContinuation(unsigned char b) {
  return (b & 0xC0) == 0x80;
}

#if defined(MORVANE_X86)
inline bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

// Length of the well-formed UTF-8 sequence at i (1..4), or 0.
std::size_t WellFormedAt(std::string_view s, std::size_t i);

// ---- UTF-8 with a few bad sequences ----------------------------------------------------------

// Well-formed characters of three and four bytes (the Chinese characters and punctuation)
// and ill-formed sequences (each one step of CharLength, as Decode escapes them) of a
// stretch of UTF-8 text.
struct Utf8Tally {
  std::size_t characters = 0;
  std::size_t sequences = 0;
  std::size_t bytes = 0;  // the bytes of the ill-formed sequences
  std::size_t first = 0;  // offset of the first of them
};

// The bytes of 0xE0 and above: in valid UTF-8 the lead bytes of three- and four-byte
// characters.
std::size_t CountLongLeads(std::string_view bytes);
// Adds bytes [from, to) to tally, one character at a time; from is a character start.
void TallyUtf8Slowly(std::string_view bytes, std::size_t from, std::size_t to, Utf8Tally& tally);

// The tally of bytes, a MiB at a time: a MiB that is valid UTF-8 (the vectorised test) only
// has its lead bytes counted; the others are stepped through. After each MiB, enough(tally)
// may end the count. Each MiB ends before a byte that is no continuation byte (or after
// three that are), where no sequence can run across.
template <typename Enough>
Utf8Tally TallyUtf8(std::string_view bytes, Enough enough) {
  constexpr std::size_t kStretch = 1u << 20;
  Utf8Tally tally;
  const std::size_t n = bytes.size();
  for (std::size_t from = 0; from < n;) {
    std::size_t to = std::min(n, from + kStretch);
    for (int k = 0; k < 3 && to < n && IsContinuation(At(bytes, to)); ++k) ++to;
    const std::string_view stretch = bytes.substr(from, to - from);
    if (IsUtf8(stretch)) {
      tally.characters += CountLongLeads(stretch);
    } else {
      TallyUtf8Slowly(bytes, from, to, tally);
    }
    from = to;
    if (enough(tally)) break;
  }
  return tally;
}

// The bytes of one character in the encoding through ICU; empty when it has none.
std::string EncodeOne(Encoding encoding, std::u16string_view text);

}  // namespace morvane::encoding_parts
