// The text-ending rule of file reading (TextEnd in files.h), kept apart because it is
// the one loop that runs over every byte of every file read and is tuned for that.

#include <cstring>

#include "core/encoding.h"
#include "core/files.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace morvane {
namespace {

// Offset of the first 0x00 or 0x1A at or after from, or n when there is none.
std::size_t FindMark(const unsigned char* bytes, std::size_t from, std::size_t n) {
  std::size_t i = from;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i eof = _mm_set1_epi8(0x1A);
  auto marks = [&](std::size_t at) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
    return _mm_or_si128(_mm_cmpeq_epi8(v, zero), _mm_cmpeq_epi8(v, eof));
  };
  // Four blocks at a time: text files rarely hold a mark, so the loop is all loads.
  for (; i + 64 <= n; i += 64) {
    __m128i any = _mm_or_si128(_mm_or_si128(marks(i), marks(i + 16)),
                               _mm_or_si128(marks(i + 32), marks(i + 48)));
    if (_mm_movemask_epi8(any) != 0) break;
  }
  for (; i + 16 <= n; i += 16) {
    if (int mask = _mm_movemask_epi8(marks(i)))
      return i + static_cast<std::size_t>(__builtin_ctz(mask));
  }
#endif
  for (; i < n; ++i) {
    if (bytes[i] == 0x00 || bytes[i] == 0x1A) return i;
  }
  return n;
}

// Offset of the first U+0000 or U+001A code unit, or the offset of the last whole unit.
std::size_t FindUnitMark(const unsigned char* bytes, std::size_t n, bool littleEndian) {
  const std::size_t high = littleEndian ? 1 : 0;  // the unit's byte that must be zero
  std::size_t from = 0;
  for (;;) {
    const std::size_t mark = FindMark(bytes, from, n);
    if (mark >= n) break;
    const std::size_t unit = mark & ~std::size_t{1};
    if (unit + 2 > n) break;
    if (bytes[unit + high] == 0x00 &&
        (bytes[unit + 1 - high] == 0x00 || bytes[unit + 1 - high] == 0x1A))
      return unit;
    from = mark + 1;
  }
  return n;
}

}  // namespace

std::size_t TextEndIn(Encoding encoding, std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  switch (encoding) {
    case Encoding::kGbk:
      return TextEnd(text);
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be:
      return FindUnitMark(bytes, text.size(), encoding == Encoding::kUtf16Le);
    default:
      // 0x00 and 0x1A are never part of another character in these encodings: the first
      // one starts a character.
      return FindMark(bytes, 0, text.size());
  }
}

namespace {

// TextEnd, given the offset of the first mark (n when there is none).
std::size_t TextEndFrom(std::string_view text, std::size_t firstMark) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  // start is always the offset of a character start. Between start and the next mark,
  // stepping cannot stop, so only the mark's own position needs deciding: the bytes
  // just before it that are 0x80 or above pair up from the last byte below 0x80 (which
  // ends a character whether it is one itself or the second byte of one) or from start.
  std::size_t start = 0;
  for (;;) {
    std::size_t mark = start == 0 ? firstMark : FindMark(bytes, start, n);
    if (mark == n) return n;
    std::size_t run = 0;
    while (mark - run > start && bytes[mark - run - 1] >= 0x80) ++run;
    if (run % 2 == 0) return mark;             // the mark starts a character: the text ends here
    if (bytes[mark] == 0x00) return mark - 1;  // a high byte and a zero: both left out
    start = mark + 1;  // 0x1A as the second byte of a character belongs to the text
  }
}

}  // namespace

std::size_t TextEnd(std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  return TextEndFrom(text, FindMark(bytes, 0, text.size()));
}

TextExtent LocateTextIn(std::string_view bytes, std::optional<Encoding> forced) {
  TextExtent extent;
  const bool utf16 = forced && IsUtf16(*forced);
  if (utf16 || EncodingOfBom(bytes)) {
    // A byte-order mark, or UTF-16: small files as a rule, looked at the plain way.
    extent.detected = ResolveEncoding(bytes, forced);
    extent.start = bytes.size() - extent.detected.TextOf(bytes).size();
    extent.end = extent.start + TextEndIn(extent.detected.encoding, bytes.substr(extent.start));
    return extent;
  }
  const ByteFacts facts = ScanBytes(bytes);
  extent.detected = forced ? ResolveEncoding(bytes, forced) : DetectEncoding(bytes, facts);
  const std::size_t n = bytes.size();
  const std::size_t mark = facts.firstMark == ByteFacts::kNone ? n : facts.firstMark;
  switch (extent.detected.encoding) {
    case Encoding::kGbk:
      extent.end = TextEndFrom(bytes, mark);
      break;
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be:
      extent.end = TextEndIn(extent.detected.encoding, bytes);
      break;
    default:
      extent.end = mark;
  }
  return extent;
}

}  // namespace morvane
