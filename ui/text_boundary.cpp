#include "ui/text_boundary.h"

#include <string>

#include "core/gbk.h"

namespace morvane::ui {
namespace {

constexpr char16_t kParagraphSeparator = u'\u2029';
constexpr char16_t kLineSeparator = u'\u2028';

}  // namespace

QString DisplayFromBytes(const ByteText& bytes) {
  const std::u16string decoded = DecodeGbk(bytes.view());
  QString display;
  display.reserve(static_cast<qsizetype>(decoded.size()));
  for (std::size_t i = 0; i < decoded.size(); ++i) {
    const char16_t c = decoded[i];
    if (c == u'\r' && i + 1 < decoded.size() && decoded[i + 1] == u'\n') {
      display.append(QChar(u'\n'));
      ++i;
    } else if (c == u'\r') {
      display.append(QChar(kLoneCrMark));
    } else if (c == u'\n') {
      display.append(QChar(kLineSeparator));
    } else {
      display.append(QChar(c));
    }
  }
  return display;
}

ByteText BytesFromDisplay(QStringView display) {
  std::u16string text;
  text.reserve(static_cast<std::size_t>(display.size()) + 64);
  for (const QChar qc : display) {
    const char16_t c = qc.unicode();
    if (c == kParagraphSeparator || c == u'\n') {
      text += u"\r\n";
    } else if (c == kLineSeparator) {
      text += u'\n';
    } else if (c == kLoneCrMark) {
      text += u'\r';
    } else {
      text += c;
    }
  }
  return ByteText(EncodeGbk(text));
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
