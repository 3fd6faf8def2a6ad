// SPDX-License-Identifier: MIT
#pragma once
// The bytes that are no GBK character, found 64 at a time with bit masks: shared by the
// codec's count (FindUndecodable) and the pass that reads a file (ScanBytes), which counts
// them on the way so that no pass of its own is needed. Included by the encoding files only.
//
// Every pair of a lead byte (0x81..0xFE) and a trail byte (0x40..0xFE but 0x7F) is a GBK
// character in the table the program reads GBK with (code page 936 with its user-defined
// areas), so a byte that is no GBK character is one of: a lead byte followed by a byte that
// is no trail byte (with it when that byte is 0x40 or above, alone otherwise, as CharLength
// steps), a lead byte at the end, or a 0x80 or 0xFF that is no trail byte. Where a
// character starts follows from the runs of lead bytes: a run starts a character, and its
// bytes alternate between lead and trail.

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/encoding.h"
#include "core/encoding_parts.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace morvane::encoding_parts {

// Carried from one block of 64 bytes to the next.
struct GbkScan {
  bool inRun = false;     // the last byte is a lead byte
  bool lastLead = false;  // ... and starts a character
  Undecodable found;
};

// The bytes of one block of 64 that matter, a bit each.
struct GbkBits {
  std::uint64_t leads = 0;     // 0x81..0xFE
  std::uint64_t notTrail = 0;  // below 0x40, 0x7F and 0xFF
  std::uint64_t lone = 0;      // 0x80 and 0xFF
};

// Where the block's characters start, from its lead bytes and what the block before left,
// and the bytes that are no character.
inline void AccountGbk(const GbkBits& bits, const unsigned char* block, std::size_t base,
                       GbkScan& scan) {
  constexpr std::uint64_t kEven = 0x5555555555555555ull;
  const std::uint64_t leads = bits.leads;
  // Runs whose first byte here starts a character at an even offset, or at 0 carried on.
  std::uint64_t evenStarts = leads & ~((leads << 1) | (scan.inRun ? 1u : 0u)) & kEven;
  if ((leads & 1) && scan.inRun && !scan.lastLead) evenStarts |= 1;
  const std::uint64_t evenRuns = leads & ~(leads + evenStarts);
  const std::uint64_t starts = (evenRuns & kEven) | (leads & ~evenRuns & ~kEven);
  const std::uint64_t trails = (starts << 1) | (scan.lastLead ? 1u : 0u);
  const std::uint64_t badTrails = trails & bits.notTrail;
  const std::uint64_t badLone = bits.lone & ~trails;
  scan.inRun = (leads >> 63) != 0;
  scan.lastLead = (starts >> 63) != 0;
  if ((badTrails | badLone) == 0) return;
  std::size_t first = static_cast<std::size_t>(-1);
  if (badLone != 0) first = base + static_cast<std::size_t>(__builtin_ctzll(badLone));
  if (badTrails != 0)
    first = std::min(first, base + static_cast<std::size_t>(__builtin_ctzll(badTrails)) - 1);
  if (scan.found.count == 0) scan.found.first = first;
  // A lead byte goes with the byte after it when that byte is 0x40 or above.
  std::size_t count = static_cast<std::size_t>(__builtin_popcountll(badLone));
  for (std::uint64_t bad = badTrails; bad != 0; bad &= bad - 1)
    count += block[__builtin_ctzll(bad)] < 0x40 ? 1 : 2;
  scan.found.count += count;
}

inline GbkBits GbkBitsSse2(const unsigned char* block) {
  const __m128i bias = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i ff = _mm_set1_epi8(static_cast<char>(0xFF));
  GbkBits bits;
  for (int k = 0; k < 4; ++k) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * k));
    const __m128i s = _mm_xor_si128(v, bias);  // unsigned order as signed
    const __m128i lead = _mm_and_si128(_mm_cmpgt_epi8(s, _mm_setzero_si128()),
                                       _mm_cmplt_epi8(s, _mm_set1_epi8(0x7F)));
    const __m128i isFf = _mm_cmpeq_epi8(v, ff);
    const __m128i notTrail =
        _mm_or_si128(_mm_cmplt_epi8(s, _mm_set1_epi8(-0x40)),
                     _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(0x7F)), isFf));
    const int shift = 16 * k;
    auto mask = [](__m128i m) {
      return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(m)) & 0xFFFFu);
    };
    bits.leads |= mask(lead) << shift;
    bits.notTrail |= mask(notTrail) << shift;
    bits.lone |= mask(_mm_or_si128(_mm_cmpeq_epi8(v, bias), isFf)) << shift;
  }
  return bits;
}

#if defined(MORVANE_X86)
// The same bits of a block of 64 loaded as two vectors of 32.
__attribute__((target("avx2"))) inline GbkBits GbkBitsAvx2(__m256i low, __m256i high) {
  const __m256i bias = _mm256_set1_epi8(static_cast<char>(0x80));
  const __m256i ff = _mm256_set1_epi8(static_cast<char>(0xFF));
  const __m256i top = _mm256_set1_epi8(0x7F);
  const __m256i below40 = _mm256_set1_epi8(-0x40);
  GbkBits bits;
  const __m256i halves[2] = {low, high};
  for (int k = 0; k < 2; ++k) {
    const __m256i v = halves[k];
    const __m256i s = _mm256_xor_si256(v, bias);
    const __m256i lead =
        _mm256_and_si256(_mm256_cmpgt_epi8(s, _mm256_setzero_si256()), _mm256_cmpgt_epi8(top, s));
    const __m256i isFf = _mm256_cmpeq_epi8(v, ff);
    const __m256i notTrail = _mm256_or_si256(_mm256_cmpgt_epi8(below40, s),
                                             _mm256_or_si256(_mm256_cmpeq_epi8(v, top), isFf));
    const __m256i lone = _mm256_or_si256(_mm256_cmpeq_epi8(v, bias), isFf);
    const int shift = 32 * k;
    bits.leads |= std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(lead))} << shift;
    bits.notTrail |= std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(notTrail))}
                     << shift;
    bits.lone |= std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(lone))} << shift;
  }
  return bits;
}

__attribute__((target("avx2"))) inline GbkBits GbkBitsAvx2(const unsigned char* block) {
  return GbkBitsAvx2(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(block)),
                     _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + 32)));
}
#endif

// Bytes [from, to) that the blocks of 64 left over, then the end: a lead byte at to is
// counted as a lead byte at the end, through a block padded with zero bytes. A range that
// ends after a byte that is no lead byte ends where a character starts, and leaves the scan
// as it found it.
inline void AccountGbkRest(const unsigned char* data, std::size_t from, std::size_t to,
                           GbkScan& scan) {
  std::size_t i = from;
  for (; i + 64 <= to; i += 64) AccountGbk(GbkBitsSse2(data + i), data + i, i, scan);
  unsigned char last[64] = {};
  if (to > i) std::memcpy(last, data + i, to - i);
  AccountGbk(GbkBitsSse2(last), last, i, scan);
}

}  // namespace morvane::encoding_parts

#endif
