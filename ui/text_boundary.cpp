#include "ui/text_boundary.h"

#include <array>
#include <string>

#include "core/gbk.h"

namespace morvane::ui {
namespace {

constexpr char16_t kParagraphSeparator = u'\u2029';
constexpr char16_t kLineSeparator = u'\u2028';

bool IsLeadByte(unsigned char b) {
  return b >= 0x81 && b <= 0xFE;
}
bool IsTrailByte(unsigned char b) {
  return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

// What each lead and trail byte pair decodes to, learnt in one decoding of all of them:
// one character, or two units where GBK leaves the pair unassigned.
struct PairTable {
  std::array<std::array<char16_t, 2>, 126 * 191> units{};

  PairTable() {
    std::string pairs;
    pairs.reserve(units.size() * 3);
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        pairs += static_cast<char>(lead);
        pairs += static_cast<char>(trail);
        pairs += '\x01';  // decodes as itself and ends whatever came before it
      }
    }
    const std::u16string decoded = DecodeGbk(pairs);
    std::size_t next = 0;
    for (auto& pair : units) {
      const std::size_t end = decoded.find(u'\x01', next);
      pair[0] = decoded[next];
      pair[1] = end - next > 1 ? decoded[next + 1] : 0;
      next = end + 1;
    }
  }
};

const PairTable& Pairs() {
  static const PairTable table;
  return table;
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
    const auto& units = Pairs().units[static_cast<std::size_t>((b - 0x81) * 191 + (trail - 0x40))];
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

std::string BytesOfTyped(QStringView typed) {
  const auto* in = reinterpret_cast<const char16_t*>(typed.utf16());
  const auto* const end = in + typed.size();
  std::u16string text;
  text.reserve(static_cast<std::size_t>(typed.size()) + 8);
  for (; in < end; ++in) {
    const char16_t c = *in;
    if (c == u'\r') {
      text += u"\r\n";
      if (in + 1 < end && in[1] == u'\n') ++in;
    } else if (c == u'\n' || c == kParagraphSeparator) {
      text += u"\r\n";
    } else if (c == kLineSeparator) {
      text += u'\n';
    } else if (c == kLoneCrMark) {
      text += u'\r';
    } else {
      text += c;
    }
  }
  return EncodeGbk(text);
}

QString PlainTextOf(std::string_view bytes) {
  const std::u16string decoded = DecodeGbk(bytes);
  QString plain;
  plain.reserve(static_cast<qsizetype>(decoded.size()));
  for (std::size_t i = 0; i < decoded.size(); ++i) {
    const char16_t c = decoded[i];
    if (c == u'\r') {
      const bool pair = i + 1 < decoded.size() && decoded[i + 1] == u'\n';
      plain += pair ? QChar(u'\n') : QChar(kLoneCrMark);
      i += pair ? 1 : 0;
    } else {
      plain += QChar(c);
    }
  }
  return plain;
}

QString PlainFromBytes(const ByteText& bytes) {
  const std::u16string decoded = DecodeGbk(bytes.view());
  return QString(reinterpret_cast<const QChar*>(decoded.data()),
                 static_cast<qsizetype>(decoded.size()));
}

ByteText BytesFromPlain(QStringView text) {
  return ByteText(EncodeGbk(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                                static_cast<std::size_t>(text.size()))));
}

ByteText BytesFromUtf8(std::string_view utf8) {
  return GbkFromUtf8(utf8);
}

}  // namespace morvane::ui
