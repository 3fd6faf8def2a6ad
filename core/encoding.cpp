// SPDX-License-Identifier: MIT
// Names and byte-order marks of the encodings, UTF-8 validity (vectorised) and the tally
// of ill-formed UTF-8, and character stepping: CharLength, BoundaryAtOrAfter, AsciiIn.
// Detection is in encoding_detection.cpp, conversion in encoding_codec.cpp.
#include "core/encoding.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/encoding_parts.h"

namespace morvane {
using namespace encoding_parts;

namespace {

struct Names {
  Encoding encoding;
  std::string_view name;
  std::string_view label;
};
constexpr Names kNames[] = {
    {Encoding::kGbk, "gbk", "GBK"},
    {Encoding::kGb18030, "gb18030", "GB18030"},
    {Encoding::kUtf8, "utf-8", "UTF-8"},
    {Encoding::kUtf16Le, "utf-16le", "UTF-16LE"},
    {Encoding::kUtf16Be, "utf-16be", "UTF-16BE"},
    {Encoding::kBig5, "big5", "Big5"},
};

const Names& NamesOf(Encoding encoding) {
  return kNames[static_cast<std::size_t>(encoding)];
}

#if defined(MORVANE_X86)
// The lookup method: every error of UTF-8 shows in the pair of a byte and the one before
// it (its high nibble, its low nibble, the next byte's high nibble), except a missing or
// extra third or fourth byte, which the bytes two and three back tell. Three table
// lookups and two comparisons per 32 bytes, no branch but the loop's.
constexpr std::uint8_t kTooShort = 1 << 0;
constexpr std::uint8_t kTooLong = 1 << 1;
constexpr std::uint8_t kOverlong3 = 1 << 2;
constexpr std::uint8_t kTooLarge = 1 << 3;
constexpr std::uint8_t kSurrogate = 1 << 4;
constexpr std::uint8_t kOverlong2 = 1 << 5;
constexpr std::uint8_t kTooLarge1000 = 1 << 6;
constexpr std::uint8_t kOverlong4 = 1 << 6;
constexpr std::uint8_t kTwoConts = 1 << 7;
constexpr std::uint8_t kCarry = kTooShort | kTooLong | kTwoConts;

__attribute__((target("avx2"))) __m256i Table16(std::array<std::uint8_t, 16> t) {
  __m128i half = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t.data()));
  return _mm256_broadcastsi128_si256(half);
}

// The 32 bytes ending one byte (n bytes) before the current block.
template <int N>
__attribute__((target("avx2"))) __m256i Prev(__m256i input, __m256i previous) {
  return _mm256_alignr_epi8(input, _mm256_permute2x128_si256(previous, input, 0x21), 16 - N);
}

__attribute__((target("avx2"))) bool IsUtf8Avx2(const unsigned char* data, std::size_t n,
                                                std::size_t* checked) {
  const __m256i byte1High = Table16(
      {kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTooLong, kTwoConts,
       kTwoConts, kTwoConts, kTwoConts, kTooShort | kOverlong2, kTooShort,
       kTooShort | kOverlong3 | kSurrogate, kTooShort | kTooLarge | kTooLarge1000 | kOverlong4});
  const __m256i byte1Low =
      Table16({kCarry | kOverlong3 | kOverlong2 | kOverlong4, kCarry | kOverlong2, kCarry, kCarry,
               kCarry | kTooLarge, kCarry | kTooLarge | kTooLarge1000,
               kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
               kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
               kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000,
               kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000 | kSurrogate,
               kCarry | kTooLarge | kTooLarge1000, kCarry | kTooLarge | kTooLarge1000});
  const __m256i byte2High = Table16(
      {kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort, kTooShort,
       kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge1000 | kOverlong4,
       kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge,
       kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
       kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge, kTooShort, kTooShort, kTooShort,
       kTooShort});
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i third = _mm256_set1_epi8(static_cast<char>(0xE0 - 0x80));
  const __m256i fourth = _mm256_set1_epi8(static_cast<char>(0xF0 - 0x80));
  const __m256i high = _mm256_set1_epi8(static_cast<char>(0x80));
  __m256i previous = _mm256_setzero_si256();
  __m256i error = _mm256_setzero_si256();
  std::size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    const __m256i input = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i));
    if (_mm256_movemask_epi8(input) == 0) {
      // All ASCII: only a sequence left open at the end of the previous block can be
      // wrong (a lead in its last byte, a three- or four-byte lead two or three back).
      const __m256i open = _mm256_subs_epu8(
          previous,
          _mm256_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                           -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, static_cast<char>(0xF0 - 1),
                           static_cast<char>(0xE0 - 1), static_cast<char>(0xC0 - 1)));
      error = _mm256_or_si256(error, open);
      previous = input;
      continue;
    }
    const __m256i prev1 = Prev<1>(input, previous);
    const __m256i sc = _mm256_and_si256(
        _mm256_and_si256(
            _mm256_shuffle_epi8(byte1High, _mm256_and_si256(_mm256_srli_epi16(prev1, 4), nibble)),
            _mm256_shuffle_epi8(byte1Low, _mm256_and_si256(prev1, nibble))),
        _mm256_shuffle_epi8(byte2High, _mm256_and_si256(_mm256_srli_epi16(input, 4), nibble)));
    const __m256i prev2 = Prev<2>(input, previous);
    const __m256i prev3 = Prev<3>(input, previous);
    const __m256i must23 =
        _mm256_or_si256(_mm256_subs_epu8(prev2, third), _mm256_subs_epu8(prev3, fourth));
    const __m256i must23High = _mm256_and_si256(must23, high);
    error = _mm256_or_si256(error, _mm256_xor_si256(must23High, sc));
    previous = input;
    // Text in another encoding shows an error within the first few blocks: stop there
    // rather than read a gigabyte to the end.
    if ((i & 0xFFFF) == 0 && !_mm256_testz_si256(error, error)) return false;
  }
  // The tail goes to the scalar check from the last character start before it.
  // A sequence that runs from the last block into the tail is checked again whole.
  std::size_t start = i;
  for (std::size_t k = 1; k <= 3 && k <= i; ++k) {
    if (data[i - k] >= 0xC0) {
      start = i - k;
      break;
    }
    if (data[i - k] < 0x80) break;
  }
  *checked = start;
  return _mm256_testz_si256(error, error) != 0;
}

#endif

}  // namespace

namespace encoding_parts {

// Length of the well-formed UTF-8 sequence at i (1..4), or 0.
std::size_t WellFormedAt(std::string_view s, std::size_t i) {
  const unsigned char b = At(s, i);
  if (b < 0x80) return 1;
  std::size_t len;
  unsigned char lo = 0x80;
  unsigned char hi = 0xBF;
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    len = 3;
    if (b == 0xE0) lo = 0xA0;
    if (b == 0xED) hi = 0x9F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (s.size() - i < len) return 0;
  if (At(s, i + 1) < lo || At(s, i + 1) > hi) return 0;
  for (std::size_t k = 2; k < len; ++k) {
    if (!IsContinuation(At(s, i + k))) return 0;
  }
  return len;
}

// The bytes of 0xE0 and above: in valid UTF-8 the lead bytes of three- and four-byte
// characters.
std::size_t CountLongLeads(std::string_view bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t count = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i bias = _mm_set1_epi8(static_cast<char>(0x80));
  const __m128i below = _mm_set1_epi8(0x5F);
  for (; i + 16 <= n; i += 16) {
    const __m128i v =
        _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)), bias);
    count += static_cast<std::size_t>(
        __builtin_popcount(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(v, below)))));
  }
#endif
  for (; i < n; ++i) count += data[i] >= 0xE0 ? 1 : 0;
  return count;
}

}  // namespace encoding_parts

std::string_view EncodingName(Encoding encoding) {
  return NamesOf(encoding).name;
}

std::string_view EncodingLabel(Encoding encoding) {
  return NamesOf(encoding).label;
}

std::optional<Encoding> EncodingFromName(std::string_view name) {
  auto same = [](std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
             return lower(x) == lower(y);
           });
  };
  for (const Names& n : kNames) {
    if (same(name, n.name)) return n.encoding;
  }
  return std::nullopt;
}

std::size_t UnitBytes(Encoding encoding) {
  return IsUtf16(encoding) ? 2 : 1;
}

bool IsUtf16(Encoding encoding) {
  return encoding == Encoding::kUtf16Le || encoding == Encoding::kUtf16Be;
}

std::string_view BomOf(Encoding encoding) {
  switch (encoding) {
    case Encoding::kUtf8:
      return "\xEF\xBB\xBF";
    case Encoding::kUtf16Le:
      return "\xFF\xFE";
    case Encoding::kUtf16Be:
      return "\xFE\xFF";
    default:
      return {};
  }
}

std::optional<Encoding> EncodingOfBom(std::string_view bytes) {
  for (Encoding e : {Encoding::kUtf8, Encoding::kUtf16Le, Encoding::kUtf16Be}) {
    if (bytes.starts_with(BomOf(e))) return e;
  }
  return std::nullopt;
}

bool IsUtf8Slowly(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t len = WellFormedAt(bytes, i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

bool IsUtf8(std::string_view bytes) {
#if defined(MORVANE_X86)
  if (HasAvx2()) {
    std::size_t checked = 0;
    if (!IsUtf8Avx2(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &checked))
      return false;
    return IsUtf8Slowly(bytes.substr(checked));
  }
#endif
  return IsUtf8Slowly(bytes);
}

std::size_t CharLength(Encoding encoding, std::string_view text, std::size_t offset) {
  const std::size_t left = text.size() - offset;
  const unsigned char b = At(text, offset);
  switch (encoding) {
    case Encoding::kGbk:
    case Encoding::kBig5:
      return IsLead(b) && left >= 2 && At(text, offset + 1) >= 0x40 ? 2 : 1;
    case Encoding::kGb18030:
      if (!IsLead(b) || left < 2) return 1;
      if (left >= 4 && IsDigit(At(text, offset + 1)) && IsLead(At(text, offset + 2)) &&
          IsDigit(At(text, offset + 3)))
        return 4;
      return At(text, offset + 1) >= 0x40 ? 2 : 1;
    case Encoding::kUtf8: {
      std::size_t want = b >= 0xC2 && b <= 0xDF   ? 2
                         : b >= 0xE0 && b <= 0xEF ? 3
                         : b >= 0xF0 && b <= 0xF4 ? 4
                                                  : 1;
      std::size_t len = 1;
      while (len < want && len < left && IsContinuation(At(text, offset + len))) ++len;
      return len;
    }
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be: {
      if (left < 2) return 1;
      const bool le = encoding == Encoding::kUtf16Le;
      auto unit = [&](std::size_t at) {
        return le ? At(text, at) | At(text, at + 1) << 8 : At(text, at) << 8 | At(text, at + 1);
      };
      const unsigned u = unit(offset);
      if (u >= 0xD800 && u <= 0xDBFF && left >= 4) {
        const unsigned next = unit(offset + 2);
        if (next >= 0xDC00 && next <= 0xDFFF) return 4;
      }
      return 2;
    }
  }
  return 1;
}

std::size_t BoundaryAtOrAfter(Encoding encoding, std::string_view text, std::size_t offset,
                              std::size_t from) {
  const std::size_t n = text.size();
  if (offset >= n) return n;
  from = std::min(from, offset);
  std::size_t start = from;
  switch (encoding) {
    case Encoding::kGbk:
    case Encoding::kBig5:
    case Encoding::kGb18030: {
      // Back to the byte after the last one that belongs to no other character (below
      // 0x40, or below 0x30 in GB18030, where digits are second and fourth bytes).
      const unsigned char never = encoding == Encoding::kGb18030 ? 0x30 : 0x40;
      std::size_t at = offset;
      while (at > from && At(text, at - 1) >= never) --at;
      start = at;
      break;
    }
    case Encoding::kUtf8: {
      std::size_t at = offset;
      while (at > from && offset - at < 3 && IsContinuation(At(text, at))) --at;
      start = at;
      break;
    }
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be: {
      // Units start at even offsets; a low surrogate after a high one is the pair's second
      // half, and no unit before the high one changes that.
      std::size_t at = offset & ~std::size_t{1};
      if (at >= 2 && at - 2 >= from) at -= 2;
      start = std::max(at, from);
      if ((start - from) % 2 != 0) start = from;
      break;
    }
  }
  for (std::size_t at = start; at < n;) {
    if (at >= offset) return at;
    at += CharLength(encoding, text, at);
  }
  return n;
}

std::string AsciiIn(Encoding encoding, char c) {
  switch (encoding) {
    case Encoding::kUtf16Le:
      return std::string{c, '\0'};
    case Encoding::kUtf16Be:
      return std::string{'\0', c};
    default:
      return std::string(1, c);
  }
}

bool IsAsciiAt(Encoding encoding, std::string_view text, std::size_t offset, char c) {
  const std::string unit = AsciiIn(encoding, c);
  return text.substr(offset, unit.size()) == unit;
}

}  // namespace morvane
