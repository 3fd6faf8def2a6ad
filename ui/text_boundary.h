// SPDX-License-Identifier: MIT
#pragma once
// Where byte texts cross into Qt and back, without changing a byte.
//
// Decoding is the lossless one of core/gbk.h (core/encoding.h for the other encodings). A
// multi-line box works on the bytes themselves and shows them one unit at a time; line breaks are
// kept apart so that a text put into a box and read back is the same bytes:
//
//   bytes        shown as                      typed or pasted as
//   CR LF        a line break (a paragraph)    Enter; "\r\n", "\n", "\r" or U+2029 pasted
//   lone LF      a line break                  Shift+Enter; U+2028
//   lone CR      U+240D "␍", a visible mark    U+240D
//
// None of the marks is a GBK character, so no byte sequence decodes to one of them by
// chance; a user who types "␍" gets a CR, which is what they see.
//
// A box may hold a text in another encoding (encoding.h): the functions that take an
// Encoding step, show and type its characters, and line breaks are its own (two-byte
// units in UTF-16). For GBK they are the functions without one.
#include <cstddef>
#include <string>
#include <string_view>

#include <QString>
#include <QStringView>

#include "core/byte_text.h"
#include "core/encoding.h"
#include "ui/text_units.h"

namespace morvane::ui {

// The bytes of text typed or pasted into a multi-line box: "\r\n", "\n", "\r" and
// U+2029 are paragraph breaks. Characters that GBK lacks are "?", and a U+0000
// is a zero byte, where the box's bytes then end.
std::string BytesOfTyped(QStringView text);
// The bytes as a plain string for the clipboard: line breaks as "\n".
QString PlainTextOf(std::string_view bytes);
// The same in any encoding. Outside GBK a typed U+0000 is left out: the box holds no
// zero character then.
std::string BytesOfTyped(Encoding encoding, QStringView text);
QString PlainTextOf(Encoding encoding, std::string_view bytes);

// For captions and single-line boxes: the decoded text, nothing else mapped.
QString PlainFromBytes(const ByteText& bytes);
ByteText BytesFromPlain(QStringView text);

// A caption literal of a window description (UTF-8) as GBK bytes.
ByteText BytesFromUtf8(std::string_view utf8);

}  // namespace morvane::ui
