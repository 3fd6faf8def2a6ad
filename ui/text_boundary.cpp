// SPDX-License-Identifier: MIT
#include "ui/text_boundary.h"

#include <array>
#include <string>

#include "core/gbk.h"

namespace morvane::ui {
namespace {

constexpr char16_t kParagraphSeparator = u'\u2029';
constexpr char16_t kLineSeparator = u'\u2028';

// Typed text with its line breaks as the box keeps them (see the table above).
std::u16string TypedUnits(QStringView typed, bool keepZero) {
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
    } else if (c != 0 || keepZero) {
      text += c;
    }
  }
  return text;
}

QString PlainOfDecoded(const std::u16string& decoded) {
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

}  // namespace

std::string BytesOfTyped(QStringView typed) {
  return EncodeGbk(TypedUnits(typed, true));
}

QString PlainTextOf(std::string_view bytes) {
  return PlainOfDecoded(DecodeGbk(bytes));
}

std::string BytesOfTyped(Encoding encoding, QStringView typed) {
  if (encoding == Encoding::kGbk) return BytesOfTyped(typed);
  // In UTF-16 every unit as it is: a private-use escape typed into UTF-16 text stays a
  // character (as one byte it would shift every unit after it).
  return EncodeShown(encoding, TypedUnits(typed, false));
}

QString PlainTextOf(Encoding encoding, std::string_view bytes) {
  if (encoding == Encoding::kGbk) return PlainTextOf(bytes);
  return PlainOfDecoded(Decode(encoding, bytes).text);
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
