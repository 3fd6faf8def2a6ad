// SPDX-License-Identifier: MIT
#include "ui/text_units.h"

#include <array>
#include <string>

#include "core/gbk.h"

namespace morvane::ui {
namespace {

bool IsLeadByte(unsigned char b) {
  return b >= 0x81 && b <= 0xFE;
}
bool IsTrailByte(unsigned char b) {
  return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

// What each lead and trail byte pair decodes to, learnt in one decoding of all of them:
// one character, or two units where the encoding leaves the pair unassigned. GBK's trail
// bytes are 0x40..0xFE; Big5 and GB18030 step any byte from 0x40 on as a trail.
struct PairTable {
  static constexpr int kTrails = 192;
  std::array<std::array<char16_t, 2>, 126 * kTrails> units{};

  explicit PairTable(Encoding encoding) {
    const int lastTrail = encoding == Encoding::kGbk ? 0xFE : 0xFF;
    std::string pairs;
    pairs.reserve(units.size() * 3);
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      for (int trail = 0x40; trail <= lastTrail; ++trail) {
        pairs += static_cast<char>(lead);
        pairs += static_cast<char>(trail);
        pairs += '\x01';  // decodes as itself and ends whatever came before it
      }
    }
    const std::u16string decoded =
        encoding == Encoding::kGbk ? DecodeGbk(pairs) : Decode(encoding, pairs).text;
    std::size_t next = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      for (int trail = 0x40; trail <= lastTrail; ++trail) {
        const std::size_t end = decoded.find(u'\x01', next);
        auto& pair = units[static_cast<std::size_t>((lead - 0x81) * kTrails + (trail - 0x40))];
        pair[0] = decoded[next];
        pair[1] = end - next > 1 ? decoded[next + 1] : 0;
        next = end + 1;
      }
    }
  }
  const std::array<char16_t, 2>& At(unsigned char lead, unsigned char trail) const {
    return units[static_cast<std::size_t>((lead - 0x81) * kTrails + (trail - 0x40))];
  }
};

const PairTable& Pairs(Encoding encoding = Encoding::kGbk) {
  static const PairTable gbk(Encoding::kGbk);
  static const PairTable big5(Encoding::kBig5);
  static const PairTable gb18030(Encoding::kGb18030);
  switch (encoding) {
    case Encoding::kBig5:
      return big5;
    case Encoding::kGb18030:
      return gb18030;
    default:
      return gbk;
  }
}

char16_t Utf16UnitAt(Encoding encoding, std::string_view bytes, std::size_t at) {
  const auto first = static_cast<unsigned char>(bytes[at]);
  const auto second = static_cast<unsigned char>(bytes[at + 1]);
  return static_cast<char16_t>(encoding == Encoding::kUtf16Le ? first | second << 8
                                                              : first << 8 | second);
}

}  // namespace

std::size_t UnitLength(std::string_view bytes, std::size_t at) {
  if (at >= bytes.size()) return 0;
  const auto b = static_cast<unsigned char>(bytes[at]);
  if (at + 1 < bytes.size()) {
    const auto next = static_cast<unsigned char>(bytes[at + 1]);
    if ((b == '\r' && next == '\n') || (IsLeadByte(b) && IsTrailByte(next))) return 2;
  }
  return 1;
}

ShownUnit ShowUnit(std::string_view bytes, std::size_t at, std::size_t length) {
  ShownUnit shown;
  const auto b = static_cast<unsigned char>(bytes[at]);
  if (length == 2) {
    if (b == '\r') {
      shown.lineBreak = true;
      return shown;
    }
    const auto trail = static_cast<unsigned char>(bytes[at + 1]);
    const auto& units = Pairs().At(b, trail);
    shown.first = units[0];
    shown.second = units[1];
    shown.count = units[1] != 0 ? 2 : 1;
    return shown;
  }
  shown.count = 1;
  if (b == '\n') {
    shown.lineBreak = true;
    shown.count = 0;
  } else if (b == '\r') {
    shown.first = kLoneCrMark;
  } else {
    // A byte of 0x80 or above standing alone is no character: its private-use escape.
    shown.first = b < 0x80 ? b : static_cast<char16_t>(0xF700 + b);
  }
  return shown;
}

std::size_t UnitLength(Encoding encoding, std::string_view bytes, std::size_t at) {
  if (encoding == Encoding::kGbk) return UnitLength(bytes, at);
  if (at >= bytes.size()) return 0;
  const std::size_t unit = UnitBytes(encoding);
  if (IsAsciiAt(encoding, bytes, at, '\r') && IsAsciiAt(encoding, bytes, at + unit, '\n')) {
    return 2 * unit;
  }
  return CharLength(encoding, bytes, at);
}

ShownUnit ShowUnit(Encoding encoding, std::string_view bytes, std::size_t at, std::size_t length) {
  if (encoding == Encoding::kGbk) return ShowUnit(bytes, at, length);
  ShownUnit shown;
  const std::size_t unit = UnitBytes(encoding);
  if (length == unit && IsAsciiAt(encoding, bytes, at, '\n')) {
    shown.lineBreak = true;
    return shown;
  }
  if (IsAsciiAt(encoding, bytes, at, '\r')) {
    if (length == 2 * unit) {
      shown.lineBreak = true;
    } else {
      shown.first = kLoneCrMark;
      shown.count = 1;
    }
    return shown;
  }
  const auto b = static_cast<unsigned char>(bytes[at]);
  shown.count = 1;
  if (IsUtf16(encoding)) {
    if (length == 1) {
      shown.first = static_cast<char16_t>(0xF700 + b);  // an odd last byte
    } else {
      shown.first = Utf16UnitAt(encoding, bytes, at);
      if (length == 4) {
        shown.second = Utf16UnitAt(encoding, bytes, at + 2);
        shown.count = 2;
      }
    }
    return shown;
  }
  if (length == 1) {
    shown.first = b < 0x80 ? b : static_cast<char16_t>(0xF700 + b);
    return shown;
  }
  if (length == 2 && encoding != Encoding::kUtf8) {
    const auto& units = Pairs(encoding).At(b, static_cast<unsigned char>(bytes[at + 1]));
    shown.first = units[0];
    shown.second = units[1];
    shown.count = units[1] != 0 ? 2 : 1;
    return shown;
  }
  char32_t c = 0;
  if (encoding == Encoding::kUtf8 && Utf8SequenceAt(bytes.substr(at, length), &c) == length) {
    if (c < 0x10000) {
      shown.first = static_cast<char16_t>(c);
    } else {
      shown.first = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      shown.second = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
      shown.count = 2;
    }
    return shown;
  }
  // A four-byte GB18030 character, or bytes that are none.
  const std::u16string decoded = Decode(encoding, bytes.substr(at, length)).text;
  shown.first = decoded.empty() ? u'?' : decoded[0];
  shown.second = decoded.size() > 1 ? decoded[1] : 0;
  shown.count = decoded.size() > 1 ? 2 : 1;
  return shown;
}

}  // namespace morvane::ui
