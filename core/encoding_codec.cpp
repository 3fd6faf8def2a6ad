// SPDX-License-Identifier: MIT
// The one codec of every conversion: ICU's converters (windows-936, gb18030, windows-950)
// and the double-byte table learnt from them once, Decode with its stand-ins for
// undecodable bytes, FindUndecodable (GBK 64 bytes at a time), and Encode, EncodeBack,
// EncodeShown and Transcode.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>

#include "core/encoding.h"
#include "core/encoding_parts.h"
#include "core/fatal.h"
#include "core/gbk.h"
#include "core/gbk_blocks.h"
#include "core/side_by_side.h"
#include "core/thread_converter.h"

namespace morvane {
using namespace encoding_parts;

namespace {

// ---- ICU ---------------------------------------------------------------------------------

using Converter = icu::LocalUConverterPointer;

const char* IcuName(Encoding encoding) {
  switch (encoding) {
    case Encoding::kGbk:
      return "windows-936";
    case Encoding::kGb18030:
      return "gb18030";
    case Encoding::kBig5:
      return "windows-950";
    case Encoding::kUtf8:
      return "UTF-8";
    case Encoding::kUtf16Le:
      return "UTF-16LE";
    case Encoding::kUtf16Be:
      return "UTF-16BE";
  }
  return "windows-936";
}

// Counts what the encoding cannot hold and writes "?" for it.
struct Unencodable {
  std::size_t count = 0;
  std::size_t firstIndex = 0;
  char32_t firstChar = 0;
  const UChar* base = nullptr;
};

void CountUnencodable(const void* context, UConverterFromUnicodeArgs* args, const UChar*, int32_t,
                      UChar32 codePoint, UConverterCallbackReason reason, UErrorCode* err) {
  if (reason > UCNV_IRREGULAR) return;
  auto* seen = static_cast<Unencodable*>(const_cast<void*>(context));
  if (seen->count == 0) {
    seen->firstChar = static_cast<char32_t>(codePoint);
    seen->firstIndex = static_cast<std::size_t>(args->source - seen->base);
    // source already stands after the character.
    seen->firstIndex -= codePoint >= 0x10000 ? 2 : 1;
  }
  ++seen->count;
  *err = U_ZERO_ERROR;
  ucnv_cbFromUWriteBytes(args, "?", 1, 0, err);
}

Converter OpenConverter(Encoding encoding) {
  UErrorCode err = U_ZERO_ERROR;
  Converter c(ucnv_open(IcuName(encoding), &err));
  if (U_FAILURE(err) || c.isNull()) {
    // "ICU编码转换器不可用": ICU's data is part of the installation, so it is broken.
    RuntimeError(ByteText("ICU\xB1\xE0\xC2\xEB\xD7\xAA\xBB\xBB\xC6\xF7\xB2\xBB\xBF\xC9\xD3\xC3"));
  }
  ucnv_setFallback(c.getAlias(), false);
  return c;
}

// One converter per thread and encoding.
UConverter* ThreadConverter(Encoding encoding) {
  static_assert(std::size(kEncodings) < kThreadConverterSlots);
  return morvane::ThreadConverter(static_cast<int>(encoding), [](int slot) {
    return OpenConverter(static_cast<Encoding>(slot)).orphan();
  });
}

// The character of one multi-byte sequence, through ICU; empty when it is none.
std::u16string DecodeOne(Encoding encoding, std::string_view bytes) {
  UConverter* c = ThreadConverter(encoding);
  ucnv_resetToUnicode(c);
  UErrorCode err = U_ZERO_ERROR;
  ucnv_setToUCallBack(c, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  UChar out[4];
  UChar* target = out;
  const char* source = bytes.data();
  err = U_ZERO_ERROR;
  ucnv_toUnicode(c, &target, out + 4, &source, bytes.data() + bytes.size(), nullptr, true, &err);
  if (U_FAILURE(err) || source != bytes.data() + bytes.size()) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(out),
                        static_cast<std::size_t>(target - out));
}

// The double-byte characters of GBK, GB18030 and Big5, learnt from ICU once: the one table
// the program reads and writes them with. units holds the character of lead 0x81..0xFE and
// trail 0x40..0xFF (0 where the pair is none); back the pair that each character is
// written as (0 where the encoding has no pair for it).
//
// A pair is read as the character ICU's converter gives it, also where the character is
// written back as another pair: code page 950 as Windows reads it has such duplicates
// (A2CC and A451 are both 十, A2A4 and F9F9 both ═, F9FA..F9FD are ╭╮╰╯ as A27E..A2A3
// are), which ICU's windows-950 decodes as Windows does and writes back as the first
// pair. Its user-defined areas (8140..A0FE, C6A1..C8FE, FA40..FEFE) decode to the same
// private-use characters as in Windows (U+EEB8.., U+F6B1..U+F848, U+E000..U+E310).
// Windows' table holds no pair that ICU's leaves out; it also reads a lone 0x80 and 0xFF
// (as U+0080/U+F8F8 in 950, U+20AC/U+F8F5 in 936), which no text of these encodings
// holds and which stay undecodable bytes here, so no character is written as them.
struct PairTable {
  std::vector<char16_t> units = std::vector<char16_t>(126 * 192, 0);
  std::vector<std::uint16_t> back = std::vector<std::uint16_t>(65536, 0);
  // The characters Windows writes as one byte of 0x80 and above (in 936 U+20AC as 0x80),
  // with that byte: text typed in a window writes them so (EncodeShown), as it always did.
  std::vector<std::pair<char16_t, unsigned char>> singles;
  char16_t At(unsigned char lead, unsigned char trail) const {
    return units[(lead - 0x81) * 192 + (trail - 0x40)];
  }
};

PairTable LearnPairs(Encoding encoding) {
  PairTable table;
  for (int b = 0x80; b <= 0xFF; ++b) {
    const char one = static_cast<char>(b);
    const std::u16string u = DecodeOne(encoding, std::string_view(&one, 1));
    if (u.size() == 1 && u[0] >= 0x80 && EncodeOne(encoding, u) == std::string_view(&one, 1))
      table.singles.emplace_back(u[0], static_cast<unsigned char>(b));
  }
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFF; ++trail) {
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      const std::u16string u = DecodeOne(encoding, std::string_view(pair, 2));
      if (u.size() != 1 || u[0] < 0x80) continue;
      table.units[(lead - 0x81) * 192 + (trail - 0x40)] = u[0];
      if (EncodeOne(encoding, u) == std::string_view(pair, 2))
        table.back[u[0]] = static_cast<std::uint16_t>(lead << 8 | trail);
    }
  }
  return table;
}

const PairTable& PairsOf(Encoding encoding) {
  static std::once_flag once[3];
  static PairTable tables[3];
  const int k = encoding == Encoding::kGbk ? 0 : encoding == Encoding::kGb18030 ? 1 : 2;
  std::call_once(once[k], [&] { tables[k] = LearnPairs(encoding); });
  return tables[k];
}

// ---- bytes that are no GBK character, 64 at a time ------------------------------------------

bool GbkTableIsStructural() {
  static const bool structural = [] {
    const PairTable& pairs = PairsOf(Encoding::kGbk);
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        if (trail != 0x7F &&
            pairs.At(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)) == 0)
          return false;
      }
    }
    return true;
  }();
  return structural;
}

#if defined(__SSE2__)
#if defined(MORVANE_X86)
__attribute__((target("avx2"))) void ScanGbkAvx2(const unsigned char* data, std::size_t from,
                                                 std::size_t to, GbkScan& scan) {
  for (std::size_t i = from; i + 64 <= to; i += 64)
    AccountGbk(GbkBitsAvx2(data + i), data + i, i, scan);
}
#endif

// FindUndecodable in GBK for bytes [from, to) of bytes, from a character start.
Undecodable FindUndecodableGbk(std::string_view bytes, std::size_t from, std::size_t to) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  GbkScan scan;
  std::size_t i = from;
#if defined(MORVANE_X86)
  if (HasAvx2()) {
    ScanGbkAvx2(data, from, to, scan);
    i += (to - from) / 64 * 64;
  }
#endif
  AccountGbkRest(data, i, to, scan);
  return scan.found;
}

// The same in two halves side by side for large texts; the second starts where a character
// starts, after a byte that is no lead byte.
Undecodable FindUndecodableGbk(std::string_view bytes) {
  const std::size_t n = bytes.size();
  const std::size_t middle = GbkStartAtOrAfter(bytes, n / 2);
  if (n < kSideBySideBytes || middle >= n) return FindUndecodableGbk(bytes, 0, n);
  Undecodable halves[2];
  RunSideBySide(2, [&](std::size_t part) {
    halves[part] =
        part == 0 ? FindUndecodableGbk(bytes, 0, middle) : FindUndecodableGbk(bytes, middle, n);
  });
  JoinUndecodable(halves[0], halves[1]);
  return halves[0];
}
#endif

// ---- decoding ------------------------------------------------------------------------------

struct Decoder {
  DecodedText out;
  bool withOffsets;

  void Put(char16_t unit, std::size_t at) {
    out.text.push_back(unit);
    if (withOffsets) out.offsets.push_back(static_cast<std::uint32_t>(at));
  }
  void Note(std::size_t at, std::size_t len) {
    if (out.undecodable == 0) out.firstUndecodable = at;
    out.undecodable += len;
  }
  // Undecodable bytes, each as its stand-in.
  void Raw(std::string_view bytes, std::size_t at, std::size_t len) {
    Note(at, len);
    for (std::size_t k = 0; k < len; ++k) {
      const unsigned char b = At(bytes, at + k);
      out.standIns.push_back(static_cast<std::uint32_t>(out.text.size()));
      Put(b < 0x80 ? b : static_cast<char16_t>(kRawBase + b), at);
    }
  }
};

void DecodeUtf8(std::string_view bytes, Decoder& d) {
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t len = WellFormedAt(bytes, i);
    if (len == 0) {
      const std::size_t step = CharLength(Encoding::kUtf8, bytes, i);
      d.Raw(bytes, i, step);
      i += step;
      continue;
    }
    const unsigned char b = At(bytes, i);
    char32_t c;
    if (len == 1) {
      c = b;
    } else if (len == 2) {
      c = (b & 0x1Fu) << 6 | (At(bytes, i + 1) & 0x3Fu);
    } else if (len == 3) {
      c = (b & 0x0Fu) << 12 | (At(bytes, i + 1) & 0x3Fu) << 6 | (At(bytes, i + 2) & 0x3Fu);
    } else {
      c = (b & 0x07u) << 18 | (At(bytes, i + 1) & 0x3Fu) << 12 | (At(bytes, i + 2) & 0x3Fu) << 6 |
          (At(bytes, i + 3) & 0x3Fu);
    }
    if (c >= 0x10000) {
      d.Put(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)), i);
      d.Put(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)), i);
    } else {
      d.Put(static_cast<char16_t>(c), i);
    }
    i += len;
  }
}

void DecodeUtf16(std::string_view bytes, bool littleEndian, Decoder& d) {
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  for (; i + 2 <= n; i += 2) {
    const auto unit = static_cast<char16_t>(littleEndian ? At(bytes, i) | At(bytes, i + 1) << 8
                                                         : At(bytes, i) << 8 | At(bytes, i + 1));
    // A surrogate pair's halves both point at its first byte.
    const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
    const std::size_t at =
        low && i >= 2 &&
                CharLength(littleEndian ? Encoding::kUtf16Le : Encoding::kUtf16Be, bytes, i - 2) ==
                    4
            ? i - 2
            : i;
    // An unpaired surrogate is no character: it stays the unit it is, listed as a
    // stand-in for its two bytes.
    const bool surrogate = unit >= 0xD800 && unit <= 0xDFFF;
    const bool paired =
        surrogate &&
        (low ? at != i
             : i + 4 <= n && CharLength(littleEndian ? Encoding::kUtf16Le : Encoding::kUtf16Be,
                                        bytes, i) == 4);
    if (surrogate && !paired) {
      d.Note(i, 2);
      d.out.standIns.push_back(static_cast<std::uint32_t>(d.out.text.size()));
    }
    d.Put(unit, at);
  }
  if (i < n) d.Raw(bytes, i, 1);
}

void DecodeDoubleByte(Encoding encoding, std::string_view bytes, Decoder& d) {
  const PairTable& pairs = PairsOf(encoding);
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t len = CharLength(encoding, bytes, i);
    const unsigned char b = At(bytes, i);
    if (len == 1) {
      if (b < 0x80) {
        d.Put(b, i);
      } else {
        d.Raw(bytes, i, 1);
      }
    } else if (len == 2) {
      const char16_t u = pairs.At(b, At(bytes, i + 1));
      if (u != 0) {
        d.Put(u, i);
      } else {
        d.Raw(bytes, i, 2);
      }
    } else if (b >= 0x90 && b <= 0xE3) {
      // A four-byte GB18030 character beyond the BMP: its code point counts up from
      // U+10000 at 90 30 81 30, one for each step of the last byte (the standard's own
      // rule, which ICU follows); past U+10FFFF the code is none.
      const char32_t c =
          0x10000 +
          ((((b - 0x90u) * 10 + (At(bytes, i + 1) - 0x30u)) * 126 + (At(bytes, i + 2) - 0x81u)) *
               10 +
           (At(bytes, i + 3) - 0x30u));
      if (c > 0x10FFFF) {
        d.Raw(bytes, i, len);
      } else {
        d.Put(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)), i);
        d.Put(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)), i);
      }
    } else {
      const std::u16string u = DecodeOne(encoding, bytes.substr(i, len));
      if (u.empty()) {
        d.Raw(bytes, i, len);
      } else {
        for (char16_t unit : u) d.Put(unit, i);
      }
    }
    i += len;
  }
}

}  // namespace

namespace encoding_parts {

std::string EncodeOne(Encoding encoding, std::u16string_view text) {
  UConverter* c = ThreadConverter(encoding);
  ucnv_resetFromUnicode(c);
  UErrorCode err = U_ZERO_ERROR;
  ucnv_setFromUCallBack(c, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  char out[16];
  char* target = out;
  const UChar* source = reinterpret_cast<const UChar*>(text.data());
  err = U_ZERO_ERROR;
  ucnv_fromUnicode(c, &target, out + sizeof out, &source, source + text.size(), nullptr, true,
                   &err);
  if (U_FAILURE(err)) return {};
  return std::string(out, static_cast<std::size_t>(target - out));
}

}  // namespace encoding_parts

DecodedText Decode(Encoding encoding, std::string_view bytes, bool withOffsets) {
  Decoder d{{}, withOffsets};
  try {
    d.out.text.reserve(bytes.size() / UnitBytes(encoding) + 1);
    if (withOffsets) d.out.offsets.reserve(bytes.size() / UnitBytes(encoding) + 2);
    switch (encoding) {
      case Encoding::kUtf8:
        DecodeUtf8(bytes, d);
        break;
      case Encoding::kUtf16Le:
      case Encoding::kUtf16Be:
        DecodeUtf16(bytes, encoding == Encoding::kUtf16Le, d);
        break;
      default:
        DecodeDoubleByte(encoding, bytes, d);
        break;
    }
    if (withOffsets) d.out.offsets.push_back(static_cast<std::uint32_t>(bytes.size()));
  } catch (const std::bad_alloc&) {
    OutOfMemory(bytes.size() * 2);
  }
  return std::move(d.out);
}

Undecodable FindUndecodable(Encoding encoding, std::string_view bytes) {
  Undecodable found;
  auto note = [&](std::size_t at, std::size_t length) {
    if (found.count == 0) found.first = at;
    found.count += length;
  };
  const std::size_t n = bytes.size();
  switch (encoding) {
    case Encoding::kUtf8: {
      if (IsUtf8(bytes)) return found;
      const Utf8Tally tally = TallyUtf8(bytes);
      return {tally.bytes, tally.first};
    }
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be:
      for (std::size_t i = 0; i < n;) {
        const std::size_t length = CharLength(encoding, bytes, i);
        if (length == 1) {
          note(i, 1);
        } else if (length == 2) {
          const bool le = encoding == Encoding::kUtf16Le;
          const unsigned unit =
              le ? At(bytes, i) | At(bytes, i + 1) << 8 : At(bytes, i) << 8 | At(bytes, i + 1);
          if (unit >= 0xD800 && unit <= 0xDFFF) note(i, 2);
        }
        i += length;
      }
      return found;
    case Encoding::kGbk:
#if defined(__SSE2__)
      if (GbkTableIsStructural()) return FindUndecodableGbk(bytes);
#endif
      break;
    default:
      break;
  }
  const PairTable& pairs = PairsOf(encoding);
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  for (std::size_t i = 0; i < n;) {
    if (SixteenAsciiAt(data, i, n)) {
      i += 16;
      continue;
    }
    const unsigned char b = data[i];
    if (b < 0x80) {
      ++i;
      continue;
    }
    const std::size_t length = CharLength(encoding, bytes, i);
    if ((length == 1) || (length == 2 && pairs.At(b, data[i + 1]) == 0) ||
        (length == 4 && DecodeOne(encoding, bytes.substr(i, 4)).empty()))
      note(i, length);
    i += length;
  }
  return found;
}

std::optional<Undecodable> UndecodableOf(Encoding encoding, const ByteFacts& facts) {
  if (encoding != Encoding::kGbk || !facts.gbkCounted || facts.firstMark != ByteFacts::kNone)
    return std::nullopt;
#if defined(__SSE2__)
  if (GbkTableIsStructural()) return facts.gbk;
#endif
  return std::nullopt;
}

namespace {

// Appends the bytes of text in the encoding, every unit a character, to out.bytes; unit
// offsets in out are counted from base.
void EncodeCharacters(Encoding encoding, std::u16string_view text, std::size_t base,
                      EncodedText& out) {
  auto unfit = [&](std::size_t at, char32_t c) {
    if (out.unencodable == 0) {
      out.firstUnencodable = base + at;
      out.firstUnencodableChar = c;
    }
    ++out.unencodable;
  };
  const bool le = encoding == Encoding::kUtf16Le;
  const std::size_t n = text.size();
  if (encoding == Encoding::kGb18030) {
    // Every character has a GB18030 form: ICU writes it in bulk, "?" for an unpaired
    // surrogate.
    UConverter* c = ThreadConverter(encoding);
    Unencodable seen;
    seen.base = reinterpret_cast<const UChar*>(text.data());
    UErrorCode err = U_ZERO_ERROR;
    ucnv_setFromUCallBack(c, CountUnencodable, &seen, nullptr, nullptr, &err);
    ucnv_resetFromUnicode(c);
    const std::size_t before = out.bytes.size();
    out.bytes.resize(before + n * 4 + 16);
    char* target = out.bytes.data() + before;
    const UChar* source = seen.base;
    err = U_ZERO_ERROR;
    ucnv_fromUnicode(c, &target, out.bytes.data() + out.bytes.size(), &source, seen.base + n,
                     nullptr, true, &err);
    out.bytes.resize(static_cast<std::size_t>(target - out.bytes.data()));
    err = U_ZERO_ERROR;
    ucnv_setFromUCallBack(c, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
    if (seen.count > 0) {
      unfit(seen.firstIndex, seen.firstChar);
      out.unencodable += seen.count - 1;
    }
    return;
  }
  const PairTable* pairs =
      encoding == Encoding::kGbk || encoding == Encoding::kBig5 ? &PairsOf(encoding) : nullptr;
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t u = text[i];
    char32_t c = u;
    const bool high = u >= 0xD800 && u <= 0xDBFF;
    if (high && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      unfit(i, c);
      out.bytes += IsUtf16(encoding) ? AsciiIn(encoding, '?') : "?";
      continue;
    }
    const std::size_t length = c >= 0x10000 ? 2 : 1;
    switch (encoding) {
      case Encoding::kUtf8:
        AppendUtf8(out.bytes, c);
        break;
      case Encoding::kUtf16Le:
      case Encoding::kUtf16Be:
        for (std::size_t k = 0; k < length; ++k) {
          const char hi = static_cast<char>(text[i + k] >> 8);
          const char lo = static_cast<char>(text[i + k] & 0xFF);
          out.bytes.push_back(le ? lo : hi);
          out.bytes.push_back(le ? hi : lo);
        }
        break;
      default: {
        const std::uint16_t pair = c < 0x80 ? 0 : c < 0x10000 ? pairs->back[c] : 0;
        if (c < 0x80) {
          out.bytes.push_back(static_cast<char>(c));
        } else if (pair != 0) {
          out.bytes.push_back(static_cast<char>(pair >> 8));
          out.bytes.push_back(static_cast<char>(pair & 0xFF));
        } else {
          unfit(i, c);
          out.bytes.push_back('?');
        }
        break;
      }
    }
    i += length - 1;
  }
}

}  // namespace

EncodedText Encode(Encoding encoding, std::u16string_view text) {
  EncodedText out;
  try {
    out.bytes.reserve(text.size() * (encoding == Encoding::kUtf8 ? 3 : 2));
    EncodeCharacters(encoding, text, 0, out);
  } catch (const std::bad_alloc&) {
    OutOfMemory(text.size() * 4);
  }
  return out;
}

std::string EncodeBack(Encoding encoding, std::u16string_view text,
                       const std::vector<std::uint32_t>& standIns) {
  EncodedText out;
  const bool le = encoding == Encoding::kUtf16Le;
  try {
    out.bytes.reserve(text.size() * (encoding == Encoding::kUtf8 ? 3 : 2));
    std::size_t from = 0;
    for (const std::uint32_t at : standIns) {
      if (at >= text.size()) break;
      if (at > from) EncodeCharacters(encoding, text.substr(from, at - from), from, out);
      const char16_t u = text[at];
      if (u >= 0xD800 && u <= 0xDFFF) {
        // An unpaired UTF-16 surrogate, its two bytes as they were.
        out.bytes.push_back(static_cast<char>(le ? u & 0xFF : u >> 8));
        out.bytes.push_back(static_cast<char>(le ? u >> 8 : u & 0xFF));
      } else {
        out.bytes.push_back(static_cast<char>(u < 0x80 ? u : u - kRawBase));
      }
      from = at + 1;
    }
    if (from < text.size()) EncodeCharacters(encoding, text.substr(from), from, out);
  } catch (const std::bad_alloc&) {
    OutOfMemory(text.size() * 4);
  }
  return std::move(out.bytes);
}

std::string EncodeShown(Encoding encoding, std::u16string_view text) {
  if (IsUtf16(encoding)) {
    // Every unit as it is: one byte would shift every unit after it.
    std::string bytes(text.size() * 2, '\0');
    const bool le = encoding == Encoding::kUtf16Le;
    for (std::size_t i = 0; i < text.size(); ++i) {
      bytes[2 * i] = static_cast<char>(le ? text[i] & 0xFF : text[i] >> 8);
      bytes[2 * i + 1] = static_cast<char>(le ? text[i] >> 8 : text[i] & 0xFF);
    }
    return bytes;
  }
  // A character that Windows writes as one byte (the euro sign in GBK as 0x80) goes out as
  // that byte, as the windows always wrote it; the byte reads back as no character.
  std::u16string singles;
  if (encoding == Encoding::kGbk || encoding == Encoding::kBig5) {
    for (const auto& [unit, byte] : PairsOf(encoding).singles) {
      if (text.find(unit) == std::u16string_view::npos) continue;
      if (singles.empty()) singles = text;
      std::replace(singles.begin(), singles.end(), unit, static_cast<char16_t>(kRawBase + byte));
    }
    if (!singles.empty()) text = singles;
  }
  std::vector<std::uint32_t> standIns;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] >= kRawBase + 0x80 && text[i] <= kRawBase + 0xFF)
      standIns.push_back(static_cast<std::uint32_t>(i));
  }
  return EncodeBack(encoding, text, standIns);
}

EncodedText Transcode(Encoding from, Encoding to, std::string_view bytes) {
  if (from == to) return {std::string(bytes)};
  DecodedText decoded = Decode(from, bytes);
  if (decoded.undecodable > 0) {
    EncodedText refused;
    refused.undecodable = decoded.undecodable;
    refused.firstUndecodable = decoded.firstUndecodable;
    return refused;
  }
  return Encode(to, decoded.text);
}

std::string Utf8Of(char32_t c) {
  std::string out;
  AppendUtf8(out, c);
  return out;
}

}  // namespace morvane
