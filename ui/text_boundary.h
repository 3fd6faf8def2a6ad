#pragma once
// Where GBK byte texts cross into Qt and back, without changing a byte.
//
// Decoding is the lossless one of core/gbk.h. Line breaks need one more step, because a
// Qt text document knows only paragraphs: the three kinds of break are kept apart so
// that a text put into a box and read back is the same bytes.
//
//   bytes        display text              shown as
//   CR LF        paragraph break ('\n')    a line break
//   lone LF      U+2028 line separator     a line break
//   lone CR      U+240D "␍"                a visible mark
//
// None of the three display characters is a GBK character, so no byte sequence decodes
// to one of them by chance; a user who types "␍" gets a CR, which is what they see.

#include <string>

#include <QString>
#include <QStringView>

#include "core/byte_text.h"

namespace morvane::ui {

inline constexpr char16_t kLoneCrMark = u'\u240D';

// For a multi-line box: breaks mapped as above, CR LF as '\n' (setPlainText splits there).
QString DisplayFromBytes(const ByteText& bytes);
// The reverse, from a document's raw text (paragraphs separated by U+2029) or from a
// plain string with '\n' for paragraph breaks.
ByteText BytesFromDisplay(QStringView display);
// The same encoding kept whole: a U+0000 gives a zero byte here, where a ByteText would
// end. Counting the bytes of one paragraph needs to know where that happens.
std::string GbkFromDisplay(QStringView display);

// For captions and single-line boxes: the decoded text, nothing else mapped.
QString PlainFromBytes(const ByteText& bytes);
ByteText BytesFromPlain(QStringView text);

// A caption literal of a window description (UTF-8) as GBK bytes.
ByteText BytesFromUtf8(std::string_view utf8);

}  // namespace morvane::ui
