#pragma once
// The GBK boundary: where bytes of the program meet Unicode (the window toolkit, the
// file system's UTF-8 names, the terminal).
//
// Decoding is lossless: every byte string without a zero byte survives
// DecodeGbk-then-EncodeGbk unchanged. Bytes that are no GBK character (invalid or
// incomplete sequences, a lone 0x80 or 0xFF) decode to private-use characters
// U+F780..U+F7FF that encode back to the same byte. Characters that GBK cannot hold
// encode as "?". The character table is ICU's windows-936 converter, or on Windows the
// system's own code page 936 (gbk_backend.h). U+20AC (the euro sign) encodes as 0x80,
// while the byte 0x80 decodes to U+F780 like the other bytes that GBK leaves out.
// Conversions run through the converter in bulk; a text holding a lone 0x80 or 0xFF
// takes a per-character path that is about twice as slow.

#include <string>
#include <string_view>

#include "core/byte_text.h"

namespace morvane {

std::u16string DecodeGbk(std::string_view gbk);
std::string EncodeGbk(std::u16string_view text);

// UTF-8 for terminals and file names; lossless in the same way.
std::string Utf8FromGbk(std::string_view gbk);
// GBK from UTF-8 (a source-file literal, a file name, a command-line argument). A byte
// that is not part of well-formed UTF-8 is kept as that byte, so a name given in GBK
// bytes stays GBK. The text ends at a zero byte.
ByteText GbkFromUtf8(std::string_view utf8);

// A GBK path as the system call wants it (UTF-8 on POSIX), and back.
std::string NativePath(const ByteText& path);
ByteText PathFromNative(std::string_view native);

}  // namespace morvane
