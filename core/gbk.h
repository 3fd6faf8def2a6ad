// SPDX-License-Identifier: MIT
#pragma once
// The GBK boundary: where bytes of the program meet Unicode (the window toolkit, the
// terminal). File names are no GBK texts: see path.h.
//
// The program's own text in GBK, through the one codec of encoding.h: DecodeGbk is
// Decode(Encoding::kGbk, ...) up to the first zero byte, EncodeGbk is EncodeShown, for
// text that went through a window. Every byte string without a zero byte survives
// DecodeGbk-then-EncodeGbk unchanged: bytes that are no GBK character (invalid or
// incomplete sequences, a lone 0x80 or 0xFF) decode to their stand-ins U+F780..U+F7FF,
// which no GBK character decodes to, and which encode back to the same byte. Characters
// that GBK cannot hold encode as "?". U+20AC (the euro sign) encodes as 0x80, as Windows
// writes it, while the byte 0x80 decodes to U+F780 like the other bytes that GBK leaves
// out (a conversion into GBK, Encode, writes "?" for it: its output always reads back).

#include <cstddef>
#include <string>
#include <string_view>

#include "core/byte_text.h"

namespace morvane {

std::u16string DecodeGbk(std::string_view gbk);
std::string EncodeGbk(std::u16string_view text);

// UTF-8 for terminals and messages; lossless in the same way.
std::string Utf8FromGbk(std::string_view gbk);
// GBK from UTF-8 (a source-file literal, a system message). A byte
// that is not part of well-formed UTF-8 is kept as that byte, so a name given in GBK
// bytes stays GBK. The text ends at a zero byte.
ByteText GbkFromUtf8(std::string_view utf8);

// The length of the well-formed UTF-8 sequence at the start of s (1..4) with its code
// point in *c, or 0 when s starts with no such sequence (or is empty).
std::size_t Utf8SequenceAt(std::string_view s, char32_t* c);
// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t c);
// Whether a decoded unit is the stand-in for a byte that is no GBK character.
bool IsByteStandIn(char16_t unit);

}  // namespace morvane
