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
  // One pass straight into the string's buffer: at 20 MiB, appending character by
  // character cost as much as the decoding itself. The display is never longer than
  // the decoded text (CR LF becomes one character).
  QString display(static_cast<qsizetype>(decoded.size()), Qt::Uninitialized);
  char16_t* const begin = reinterpret_cast<char16_t*>(display.data());
  char16_t* out = begin;
  const char16_t* in = decoded.data();
  const char16_t* const end = in + decoded.size();
  while (in < end) {
    const char16_t c = *in++;
    if (c > u'\r') {
      *out++ = c;
    } else if (c == u'\r') {
      if (in < end && *in == u'\n') {
        *out++ = u'\n';
        ++in;
      } else {
        *out++ = kLoneCrMark;
      }
    } else if (c == u'\n') {
      *out++ = kLineSeparator;
    } else {
      *out++ = c;
    }
  }
  display.truncate(out - begin);
  return display;
}

std::string GbkFromDisplay(QStringView display) {
  const auto* in = reinterpret_cast<const char16_t*>(display.utf16());
  const auto* const end = in + display.size();
  std::size_t breaks = 0;
  for (const char16_t* p = in; p < end; ++p) {
    breaks += (*p == kParagraphSeparator || *p == u'\n');
  }
  std::u16string text(static_cast<std::size_t>(display.size()) + breaks, u'\0');
  char16_t* out = text.data();
  for (; in < end; ++in) {
    const char16_t c = *in;
    if (c == kParagraphSeparator || c == u'\n') {
      *out++ = u'\r';
      *out++ = u'\n';
    } else if (c == kLineSeparator) {
      *out++ = u'\n';
    } else if (c == kLoneCrMark) {
      *out++ = u'\r';
    } else {
      *out++ = c;
    }
  }
  return EncodeGbk(text);
}

ByteText BytesFromDisplay(QStringView display) {
  return ByteText(GbkFromDisplay(display));
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
