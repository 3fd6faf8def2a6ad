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

// Whether the 16 bytes at i are all below 0x80, so that a loop stepping characters can pass
// them at once (false where fewer than 16 are left, or where the machine has no SSE2).
inline bool SixteenAsciiAt(const unsigned char* data, std::size_t i, std::size_t n) {
#if defined(__SSE2__)
  return i + 16 <= n &&
         _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i))) == 0;
#else
  (void)data, (void)i, (void)n;
  return false;
#endif
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
// A tally that never ends early.
struct WholeTally {
  bool operator()(const Utf8Tally&) const { return false; }
  bool operator()(const Utf8Tally&, std::size_t, std::size_t) const { return false; }
};

// Adds bytes [from, to) to tally, one character at a time; from is a character start. Every
// 4 KiB, enough(tally, i, to) may end the count, at offset i; returns false then.
template <typename Enough = WholeTally>
bool TallyUtf8Slowly(std::string_view bytes, std::size_t from, std::size_t to, Utf8Tally& tally,
                     Enough enough = {}) {
  for (std::size_t i = from, next = from + 4096; i < to;) {
    const std::size_t length = WellFormedAt(bytes, i);
    if (length > 2) ++tally.characters;
    if (length != 0) {
      i += length;
    } else {
      const std::size_t step = CharLength(Encoding::kUtf8, bytes, i);
      if (tally.sequences++ == 0) tally.first = i;
      tally.bytes += step;
      i += step;
    }
    if (i >= next) {
      if (enough(tally, i, to)) return false;
      next = i + 4096;
    }
  }
  return true;
}

// The tally of bytes, a MiB at a time: a MiB that is valid UTF-8 (the vectorised test) only
// has its lead bytes counted; the others are stepped through. After each MiB, enough(tally)
// may end the count, and within a MiB stepped through, enough(tally, offset, end of the MiB)
// every 4 KiB. Each MiB ends before a byte that is no continuation byte (or after three
// that are), where no sequence can run across.
template <typename Enough = WholeTally>
Utf8Tally TallyUtf8(std::string_view bytes, Enough enough = {}) {
  constexpr std::size_t kStretch = 1u << 20;
  Utf8Tally tally;
  const std::size_t n = bytes.size();
  for (std::size_t from = 0; from < n;) {
    std::size_t to = std::min(n, from + kStretch);
    for (int k = 0; k < 3 && to < n && IsContinuation(At(bytes, to)); ++k) ++to;
    const std::string_view stretch = bytes.substr(from, to - from);
    if (IsUtf8(stretch)) {
      tally.characters += CountLongLeads(stretch);
    } else if (!TallyUtf8Slowly(bytes, from, to, tally, enough)) {
      break;
    }
    from = to;
    if (enough(tally)) break;
  }
  return tally;
}

// The bytes of one character in the encoding through ICU; empty when it has none.
std::string EncodeOne(Encoding encoding, std::u16string_view text);

}  // namespace morvane::encoding_parts
