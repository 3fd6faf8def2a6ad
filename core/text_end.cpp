// SPDX-License-Identifier: MIT
// The text-ending rule of file reading (TextEnd in files.h), kept apart because it is
// the one loop that runs over every byte of every file read and is tuned for that.

#include <algorithm>
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

namespace {

// The extent of bytes without a byte-order mark, given the facts of all of them.
TextExtent ExtentOf(std::string_view bytes, std::optional<Encoding> forced,
                    const ByteFacts& facts) {
  TextExtent extent;
  extent.detected = forced ? ResolveEncoding(bytes, forced) : DetectEncoding(bytes, facts);
  const std::size_t n = bytes.size();
  const std::size_t mark = facts.firstMark == ByteFacts::kNone ? n : facts.firstMark;
  extent.undecodable = UndecodableOf(extent.detected.encoding, facts);
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

}  // namespace

TextExtent LocateTextIn(std::string_view bytes, std::optional<Encoding> forced) {
  const bool utf16 = forced && IsUtf16(*forced);
  if (utf16 || EncodingOfBom(bytes)) {
    // A byte-order mark, or UTF-16: small files as a rule, looked at the plain way.
    TextExtent extent;
    extent.detected = ResolveEncoding(bytes, forced);
    extent.start = bytes.size() - extent.detected.TextOf(bytes).size();
    extent.end = extent.start + TextEndIn(extent.detected.encoding, bytes.substr(extent.start));
    return extent;
  }
  return ExtentOf(bytes, forced, ScanBytes(bytes));
}

TextExtent LocateTextWatched(std::string_view bytes, const std::shared_ptr<const void>& owner,
                             ReadWatch& watch) {
  // Pieces of 16 MiB: what is certain is handed over in whole pieces, so that a kernel copy
  // of them stays block-aligned in both files. Each scan runs 4 KiB past its piece, since
  // the byte just before the first mark is not certain yet, and on to where a GBK character
  // starts, so that each piece's GBK count stands alone.
  constexpr std::size_t kPiece = 16u << 20;
  const std::size_t n = bytes.size();
  if (n < 2 * kPiece || EncodingOfBom(bytes)) return LocateTextIn(bytes, std::nullopt);
  ByteFacts facts;
  std::size_t published = 0;
  for (std::size_t from = 0; from < n;) {
    const std::size_t to =
        GbkStartAtOrAfter(bytes, std::min(n, (from / kPiece + 1) * kPiece + 4096));
    JoinFacts(facts, ScanBytesIn(bytes, from, to));
    from = to;
    // Every encoding's text runs at least up to the byte before the first mark: in GBK a
    // high byte before a zero goes with it, in UTF-16 the unit holding the mark may start
    // one byte earlier.
    const std::size_t clear = facts.firstMark == ByteFacts::kNone ? to : facts.firstMark;
    const std::size_t certain = (clear > 0 ? clear - 1 : 0) / kPiece * kPiece;
    if (certain > published) {
      watch.Advance(owner, bytes.substr(0, certain));
      published = certain;
    }
  }
  return ExtentOf(bytes, std::nullopt, facts);
}

ReadWatch::Seen ReadWatch::WaitBeyond(std::size_t known) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return over_ || certain_.size() > known; });
  return {certain_, over_};
}

void ReadWatch::Advance(const std::shared_ptr<const void>& owner, std::string_view certain) {
  {
    std::lock_guard lock(mutex_);
    owner_ = owner;
    certain_ = certain;
  }
  changed_.notify_all();
}

void ReadWatch::Finish() {
  {
    std::lock_guard lock(mutex_);
    over_ = true;
  }
  changed_.notify_all();
}

}  // namespace morvane
