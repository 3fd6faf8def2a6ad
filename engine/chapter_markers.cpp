// SPDX-License-Identifier: MIT
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

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "core/side_by_side.h"
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

// Hands a marker whose first byte stands at the character start at to the sink.
template <class Sink>
void Check(const unsigned char* bytes, std::size_t size, std::size_t at, Sink& sink) {
  if (at + 1 >= size) return;
  const unsigned char lead = bytes[at];
  const unsigned char trail = bytes[at + 1];
  if (lead == kOrdinalLead && trail == kOrdinalTrail) {
    sink.Ordinal(at);
  } else if (lead == kChapterLead && trail == kChapterTrail) {
    sink.Chapter(at);
  }
}

// The markers of GBK text, in ascending order, to sink.Ordinal(offset) and
// sink.Chapter(offset).
template <class Sink>
void ScanGbk(const ByteText& text, Sink& markers) {
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
}

// The markers of a text in another encoding. Candidates are the places where the first two
// bytes of a marker stand, found 16 bytes at a time; each is checked whole and for
// standing at a character start. In UTF-8 a lead byte always starts a character, in
// UTF-16 a unit at an even offset that is no surrogate does; in GB18030 and Big5 the
// boundary is found by stepping from the last one known, so the whole scan stays linear.
struct MarkerBytes {
  std::string ordinal;
  std::string chapter;
};

MarkerBytes MarkersIn(Encoding encoding) {
  const std::u16string ordinal = u"第";
  const std::u16string chapter = u"章";
  return {Encode(encoding, ordinal).bytes, Encode(encoding, chapter).bytes};
}

template <class Sink>
void ScanOther(const ByteText& text, Encoding encoding, Sink& sink) {
  static const std::array<MarkerBytes, std::size(kEncodings)> all = [] {
    std::array<MarkerBytes, std::size(kEncodings)> m;
    for (Encoding e : kEncodings) m[static_cast<std::size_t>(e)] = MarkersIn(e);
    return m;
  }();
  const MarkerBytes& markers = all[static_cast<std::size_t>(encoding)];
  const std::string_view view = text.view();
  const auto* bytes = reinterpret_cast<const unsigned char*>(view.data());
  const std::size_t size = view.size();
  const bool utf16 = IsUtf16(encoding);
  const bool selfSynchronising = utf16 || encoding == Encoding::kUtf8;
  std::size_t known = 0;  // a character boundary at or before the next candidate
  auto check = [&](std::size_t at) {
    const std::string_view rest = view.substr(at);
    const bool ordinal = rest.starts_with(markers.ordinal);
    if (!ordinal && !rest.starts_with(markers.chapter)) return;
    if (utf16 && at % 2 != 0) return;
    if (!selfSynchronising) {
      known = BoundaryAtOrAfter(encoding, view, at, known);
      if (known != at) return;
    }
    if (ordinal) {
      sink.Ordinal(at);
    } else {
      sink.Chapter(at);
    }
  };
  std::size_t at = 0;
#if defined(__SSE2__)
  const __m128i o0 = _mm_set1_epi8(markers.ordinal[0]);
  const __m128i o1 = _mm_set1_epi8(markers.ordinal[1]);
  const __m128i c0 = _mm_set1_epi8(markers.chapter[0]);
  const __m128i c1 = _mm_set1_epi8(markers.chapter[1]);
  for (; at + 17 <= size; at += 16) {
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
    const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at + 1));
    const __m128i hits =
        _mm_or_si128(_mm_and_si128(_mm_cmpeq_epi8(first, o0), _mm_cmpeq_epi8(second, o1)),
                     _mm_and_si128(_mm_cmpeq_epi8(first, c0), _mm_cmpeq_epi8(second, c1)));
    for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits)); mask != 0;
         mask &= mask - 1) {
      check(at + static_cast<std::size_t>(__builtin_ctz(mask)));
    }
  }
#endif
  for (; at + 1 < size; ++at) check(at);
}

// GBK length of the characters in [from, to): 1 for a character below U+0080, 2 for any
// other, so that a text and its GBK copy measure the same.
std::size_t GbkLength(Encoding encoding, std::string_view text, std::size_t from, std::size_t to) {
  std::size_t length = 0;
  while (from < to) {
    const std::size_t step = CharLength(encoding, text, from);
    const bool ascii =
        IsUtf16(encoding)
            ? step == 2 &&
                  (encoding == Encoding::kUtf16Le
                       ? text[from + 1] == '\0' && static_cast<unsigned char>(text[from]) < 0x80
                       : text[from] == '\0' && static_cast<unsigned char>(text[from + 1]) < 0x80)
            : step == 1 && static_cast<unsigned char>(text[from]) < 0x80;
    length += ascii ? 1 : 2;
    from += step;
  }
  return length;
}

// Pairs markers as they come, in ascending order, keeping only the "第" that a later
// "章" may still pair with: each "章" takes the earliest waiting "第" within the span, a
// "章" before every waiting "第" is passed over, and a "第" too far from a "章" is
// dropped, since every later "章" is further still. So the pairing needs no list of
// markers, however many the text holds.
class Pairer {
 public:
  Pairer(Encoding encoding, std::string_view text, const std::function<void(int)>& found)
      : encoding_(encoding), text_(text), found_(found) {}

  void Ordinal(std::size_t at) {
    DropTooFar(at);
    waiting_.push_back(at);
  }
  void Chapter(std::size_t at) {
    DropTooFar(at);
    while (!waiting_.empty() && Span(waiting_.front(), at) > kHeadingSpan) waiting_.pop_front();
    if (waiting_.empty()) return;
    found_(static_cast<int>(waiting_.front() + 1));
    waiting_.pop_front();
  }

 private:
  // Byte distance beyond which no span can be within the limit: GBK, GB18030 and Big5
  // measure bytes; a character of UTF-8 or UTF-16 has at most two bytes per unit of span.
  std::size_t Reach() const {
    return encoding_ == Encoding::kGbk || encoding_ == Encoding::kGb18030 ||
                   encoding_ == Encoding::kBig5
               ? kHeadingSpan
               : 2 * kHeadingSpan;
  }
  std::size_t Span(std::size_t ordinal, std::size_t chapter) const {
    if (Reach() == kHeadingSpan) return chapter - ordinal;
    return GbkLength(encoding_, text_, ordinal, chapter);
  }
  void DropTooFar(std::size_t at) {
    while (!waiting_.empty() && at - waiting_.front() > Reach()) waiting_.pop_front();
  }

  Encoding encoding_;
  std::string_view text_;
  const std::function<void(int)>& found_;
  std::deque<std::size_t> waiting_;
};

struct MarkerLists {
  ChapterMarkers markers;
  void Ordinal(std::size_t at) { markers.ordinals.push_back(static_cast<int>(at + 1)); }
  void Chapter(std::size_t at) { markers.chapters.push_back(static_cast<int>(at + 1)); }
};

}  // namespace

ChapterMarkers FindChapterMarkers(const ByteText& text) {
  MarkerLists lists;
  ScanGbk(text, lists);
  return std::move(lists.markers);
}

namespace {

// GBK texts from this size on are searched in two halves side by side.
constexpr std::size_t kHalvesFrom = 8u << 20;
// Headings the second half keeps for the first; a text with more (a "第" and a "章" every
// few bytes) has its second half searched again after the first instead.
constexpr std::size_t kKeptForLater = 1u << 20;

// Where the second half of a GBK text can start: right after a line feed (so at a character
// start) with no 0xB5 byte in the heading span before it, so that no "第" of the first half
// can pair with a "章" of the second, and a search that starts there with nothing waiting
// finds what one search from the start finds there. npos when none is near from.
std::size_t SafeSeam(std::string_view text, std::size_t from) {
  const std::size_t limit = std::min(text.size(), from + (4u << 20));
  for (std::size_t at = from; at < limit; ++at) {
    at = text.find('\n', at);
    if (at == std::string_view::npos || at >= limit) break;
    const std::size_t seam = at + 1;
    if (seam >= text.size() || seam < kHeadingSpan + 2) continue;
    if (text.substr(seam - kHeadingSpan - 2, kHeadingSpan + 2).find('\xB5') ==
        std::string_view::npos)
      return seam;
  }
  return std::string_view::npos;
}

// The GBK search in two halves; false when no seam was found (nothing was reported).
bool SearchGbkInHalves(const ByteText& text, const std::function<void(int position)>& found) {
  const std::size_t seam = SafeSeam(text.view(), text.size() / 2);
  if (seam == std::string_view::npos || seam > static_cast<std::size_t>(INT_MAX)) return false;
  const ByteText first = text.Slice(0, seam);
  const ByteText second = text.Slice(seam, text.size() - seam);
  const int offset = static_cast<int>(seam);
  std::vector<int> later;
  bool overflow = false;
  const std::function<void(int)> keep = [&](int position) {
    if (later.size() < kKeptForLater) {
      later.push_back(position + offset);
    } else {
      overflow = true;
    }
  };
  RunSideBySide(2, [&](std::size_t part) {
    Pairer pairer(Encoding::kGbk, part == 0 ? first.view() : second.view(),
                  part == 0 ? found : keep);
    ScanGbk(part == 0 ? first : second, pairer);
  });
  if (!overflow) {
    for (int position : later) found(position);
    return true;
  }
  const std::function<void(int)> shifted = [&](int position) { found(position + offset); };
  Pairer pairer(Encoding::kGbk, second.view(), shifted);
  ScanGbk(second, pairer);
  return true;
}

}  // namespace

void ForEachChapterStart(const ByteText& text, Encoding encoding,
                         const std::function<void(int position)>& found) {
  if (encoding == Encoding::kGbk && text.size() >= kHalvesFrom && SearchGbkInHalves(text, found))
    return;
  Pairer pairer(encoding, text.view(), found);
  if (encoding == Encoding::kGbk) {
    ScanGbk(text, pairer);
  } else {
    ScanOther(text, encoding, pairer);
  }
}

}  // namespace morvane
