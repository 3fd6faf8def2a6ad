// The marker scan of the chapter search, 64 bytes at a time.
//
// Character stepping takes a byte of 0x80 or above together with the byte after it. The
// byte after a byte below 0x80 is always a character start (that byte was a character
// of its own or the second half of one), so within a run of bytes of 0x80 or above the
// characters start at every second byte, counted from the first byte of the run. A
// block's character starts among its high bytes therefore follow from the mask of high
// bytes alone: the bytes of runs that start on an even bit at even bits, the others at
// odd bits. Adding each even run start to the mask carries through exactly the runs
// that start on an even bit and clears them, which sorts the runs in one addition. Only
// the few bytes equal to a marker's first byte at a character start are then looked at.

#include <cstdint>

#include "engine/chapter_cutting.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace morvane {
namespace {

constexpr unsigned char kOrdinalLead = 0xB5;  // 第 = B5 DA
constexpr unsigned char kOrdinalTrail = 0xDA;
constexpr unsigned char kChapterLead = 0xD5;  // 章 = D5 C2
constexpr unsigned char kChapterTrail = 0xC2;
constexpr std::size_t kBlock = 64;
constexpr std::uint64_t kEvenBits = 0x5555555555555555ull;

struct BlockMasks {
  std::uint64_t high = 0;     // bytes of 0x80 or above
  std::uint64_t ordinal = 0;  // bytes equal to 0xB5
  std::uint64_t chapter = 0;  // bytes equal to 0xD5
};

BlockMasks MasksOf(const unsigned char* block) {
  BlockMasks masks;
#if defined(__SSE2__)
  const __m128i ordinal = _mm_set1_epi8(static_cast<char>(kOrdinalLead));
  const __m128i chapter = _mm_set1_epi8(static_cast<char>(kChapterLead));
  for (int part = 0; part < 4; ++part) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * part));
    const int shift = 16 * part;
    masks.high |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(bytes)))
                  << shift;
    masks.ordinal |= static_cast<std::uint64_t>(
                         static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, ordinal))))
                     << shift;
    masks.chapter |= static_cast<std::uint64_t>(
                         static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, chapter))))
                     << shift;
  }
#else
  for (std::size_t i = 0; i < kBlock; ++i) {
    const std::uint64_t bit = std::uint64_t{1} << i;
    if (block[i] >= 0x80) masks.high |= bit;
    if (block[i] == kOrdinalLead) masks.ordinal |= bit;
    if (block[i] == kChapterLead) masks.chapter |= bit;
  }
#endif
  return masks;
}

// Records a marker whose first byte stands at the character start at.
void Check(const unsigned char* bytes, std::size_t size, std::size_t at, ChapterMarkers& markers) {
  if (at + 1 >= size) return;
  const unsigned char lead = bytes[at];
  const unsigned char trail = bytes[at + 1];
  if (lead == kOrdinalLead && trail == kOrdinalTrail) {
    markers.ordinals.push_back(static_cast<int>(at + 1));
  } else if (lead == kChapterLead && trail == kChapterTrail) {
    markers.chapters.push_back(static_cast<int>(at + 1));
  }
}

}  // namespace

ChapterMarkers FindChapterMarkers(const ByteText& text) {
  ChapterMarkers markers;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  std::size_t block = 0;
  bool blockStartsCharacter = true;  // whether the block's first byte starts a character
  bool afterHigh = false;            // whether the byte before the block is 0x80 or above
  for (; block + kBlock <= size; block += kBlock) {
    const BlockMasks masks = MasksOf(bytes + block);
    const std::uint64_t high = masks.high;
    // A run that goes on from the previous block starts "on an even bit" when its byte
    // here starts a character.
    const std::uint64_t carriedIn = afterHigh ? 1 : 0;
    std::uint64_t evenStarts = high & ~((high << 1) | carriedIn) & kEvenBits;
    if (afterHigh && (high & 1) && blockStartsCharacter) evenStarts |= 1;
    const std::uint64_t evenRuns = high & ~(high + evenStarts);
    const std::uint64_t starts = (evenRuns & kEvenBits) | (high & ~evenRuns & ~kEvenBits);
    for (std::uint64_t found = (masks.ordinal | masks.chapter) & starts; found != 0;
         found &= found - 1) {
      Check(bytes, size, block + static_cast<std::size_t>(__builtin_ctzll(found)), markers);
    }
    afterHigh = (high >> 63) != 0;
    // After a high byte that starts a character comes its second byte.
    blockStartsCharacter = !afterHigh || ((starts >> 63) & 1) == 0;
  }
  std::size_t at = blockStartsCharacter ? block : block + 1;
  while (at + 1 < size) {
    if (bytes[at] < 0x80) {
      ++at;
      continue;
    }
    Check(bytes, size, at, markers);
    at += 2;
  }
  return markers;
}

}  // namespace morvane
