#pragma once
// Text encodings: which one a file is in, where its characters start, and the way to and
// from Unicode.
//
// The program never transcodes a text to cut, search or clean it: every operation steps
// the characters of the text's own encoding and writes the input's own bytes. Unicode is
// for showing a text, for merging files of different encodings and for rules that need to
// know what a character is.
//
// Character stepping (CharLength) walks from the start of a text, one character at a
// time. It accepts any bytes: a byte that starts no character of the encoding is a
// character of its own, so every byte string steps to its end and the characters always
// join up to the text.
//   gbk, big5   a lead byte 0x81..0xFE takes the byte after it unless that byte is below
//               0x40 (no trail byte is); any other byte stands alone.
//   gb18030     as gbk, and a lead byte followed by 0x30..0x39, a lead byte and
//               0x30..0x39 is one four-byte character.
//   utf-8       a lead byte 0xC2..0xF4 takes the continuation bytes (0x80..0xBF) after it,
//               up to the length it announces; any other byte stands alone.
//   utf-16      two-byte code units from the start; a high surrogate followed by a low one
//               is one four-byte character; an odd last byte stands alone.
// Since a byte below 0x40 (below 0x30 in gb18030) never belongs to another character, and
// a UTF-8 or UTF-16 character is at most four bytes, a boundary can be found again from a
// few bytes before any offset: BoundaryAtOrAfter needs no walk from the start.
//
// Example:
//   const Detected found = DetectEncoding(fileBytes);
//   std::string_view text = fileBytes.substr(found.bom ? BomOf(found.encoding).size() : 0);
//   std::size_t end = BoundaryAtOrAfter(found.encoding, text, 200 * 1024);

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

enum class Encoding : unsigned char {
  kGbk,      // code page 936, the program's own
  kGb18030,  // GBK plus four-byte sequences for the rest of Unicode
  kUtf8,
  kUtf16Le,
  kUtf16Be,
  kBig5,  // traditional Chinese (code page 950)
};

// Every encoding, in the order the user is offered them.
inline constexpr Encoding kEncodings[] = {Encoding::kGbk,     Encoding::kGb18030, Encoding::kUtf8,
                                          Encoding::kUtf16Le, Encoding::kUtf16Be, Encoding::kBig5};

// The command-line name: "gbk", "gb18030", "utf-8", "utf-16le", "utf-16be", "big5".
std::string_view EncodingName(Encoding encoding);
// The name shown in a window: "GBK", "GB18030", "UTF-8", "UTF-16LE", "UTF-16BE", "Big5".
std::string_view EncodingLabel(Encoding encoding);
// The encoding of a command-line or window name, any letter case ("UTF-8", "big5"); nothing
// for an unknown name and for "auto", which callers handle as "detect".
std::optional<Encoding> EncodingFromName(std::string_view name);

// Bytes per code unit: 2 for UTF-16, else 1.
std::size_t UnitBytes(Encoding encoding);
bool IsUtf16(Encoding encoding);

// The byte-order mark of an encoding (EF BB BF, FF FE, FE FF); empty for those without.
std::string_view BomOf(Encoding encoding);
// The encoding whose byte-order mark bytes start with, if any.
std::optional<Encoding> EncodingOfBom(std::string_view bytes);

// What detection (or the user) settled on for a file's bytes.
struct Detected {
  Encoding encoding = Encoding::kGbk;
  bool bom = false;  // the bytes start with the encoding's byte-order mark

  // The bytes after the byte-order mark.
  std::string_view TextOf(std::string_view bytes) const {
    return bytes.substr(bom ? BomOf(encoding).size() : 0);
  }
  friend bool operator==(const Detected&, const Detected&) = default;
};

// Detection, in this order: a byte-order mark; strict UTF-8 over all the bytes (but bytes
// that are all below 0x80 read the same in every encoding but UTF-16 and stay GBK, as the
// program always read them); UTF-16 without a mark when the zero bytes clearly stand on
// one side of the code units; GB18030 when a four-byte GB18030 character stands at a
// character boundary; Big5 when the most common characters of Chinese text are clearly
// more frequent read as Big5 than read as GBK (see encoding.cpp); else GBK.
// bytes are the whole file (its text end is found afterwards, in its encoding).
Detected DetectEncoding(std::string_view bytes);
// What one pass over a file's bytes tells detection and the text end.
struct ByteFacts {
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  bool high = false;                  // a byte of 0x80 or above
  std::size_t zeros = 0;              // zero bytes
  std::size_t firstMark = kNone;      // offset of the first 0x00 or 0x1A
  std::size_t firstFourByte = kNone;  // the first four-byte GB18030 character at a boundary
};
// Bytes from this many on are looked at in two halves side by side.
inline constexpr std::size_t kSideBySideBytes = 8u << 20;
// The facts of bytes, in one pass (two halves on two threads when sideBySide and the
// bytes are many).
ByteFacts ScanBytes(std::string_view bytes, bool sideBySide = true);
// The facts of bytes [from, to) of bytes, offsets counted from the start of bytes (a
// four-byte GB18030 character that starts before to is looked at whole), and the facts of
// two ranges that follow each other joined into those of both: ScanBytes in pieces.
ByteFacts ScanBytesIn(std::string_view bytes, std::size_t from, std::size_t to);
void JoinFacts(ByteFacts& earlier, const ByteFacts& later);
// DetectEncoding(bytes) for facts = ScanBytes(bytes), without passes of its own over all
// of a GBK text.
Detected DetectEncoding(std::string_view bytes, const ByteFacts& facts);
// forced, when given, instead of detection; bom says whether the bytes start with its mark.
Detected ResolveEncoding(std::string_view bytes, std::optional<Encoding> forced);

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF, no sequence cut
// at the end). Vectorised where the processor allows.
bool IsUtf8(std::string_view bytes);
// The same rule one character at a time; the reference the fast one is held against.
bool IsUtf8Slowly(std::string_view bytes);

// Length (1..4) of the character that starts at offset, by the stepping above; never
// reaches past the end of text. offset < text.size().
std::size_t CharLength(Encoding encoding, std::string_view text, std::size_t offset);
// The first character boundary at or after offset, characters counted from the start of
// text; text.size() when offset is at or beyond the end. from is a boundary known to lie
// at or before offset (the end of the previous piece, say): the search never looks back
// further than it, so cutting a text into pieces stays linear.
std::size_t BoundaryAtOrAfter(Encoding encoding, std::string_view text, std::size_t offset,
                              std::size_t from = 0);

// Where the text of a file's bytes ends in an encoding (bytes after the byte-order mark):
// at the first 0x00 or 0x1A that starts a character. In UTF-16 that is a U+0000 or U+001A
// code unit, never a zero byte inside a unit; in GBK the rule of TextEnd (files.h), where
// a byte of 0x80 or above takes any byte after it.
std::size_t TextEndIn(Encoding encoding, std::string_view text);

// The bytes of a character below U+0080 in the encoding (two bytes in UTF-16).
std::string AsciiIn(Encoding encoding, char c);
// Whether the character at offset is the code point c (below U+0080).
bool IsAsciiAt(Encoding encoding, std::string_view text, std::size_t offset, char c);

// Unicode text of some bytes, every byte accounted for. A byte that is no character of the
// encoding (and an odd last byte of UTF-16) becomes the private-use character
// U+F700 + byte, which encodes back to that byte; bytes below 0x80 stay themselves (in
// UTF-16 an unpaired surrogate stays as it is). So Encode(e, Decode(e, b).text) == b.
struct DecodedText {
  std::u16string text;
  // With offsets asked for: offsets[i] is the byte offset of the character that holds
  // unit i, and offsets[text.size()] the number of bytes.
  std::vector<std::uint32_t> offsets;
  std::size_t undecodable = 0;       // bytes that are no character of the encoding
  std::size_t firstUndecodable = 0;  // byte offset of the first one
};
DecodedText Decode(Encoding encoding, std::string_view bytes, bool withOffsets = false);

// Bytes that are no character of the encoding (what Decode escapes, and unpaired UTF-16
// surrogates), counted without decoding: how many, and the offset of the first.
struct Undecodable {
  std::size_t count = 0;
  std::size_t first = 0;
};
Undecodable FindUndecodable(Encoding encoding, std::string_view bytes);

// The bytes of a Unicode text in an encoding. Private-use characters U+F780..U+F7FF
// become the byte they stand for. A character that the encoding cannot hold is counted,
// the first one kept with its position (the unit offset in text), and written as "?".
struct EncodedText {
  std::string bytes;
  std::size_t unencodable = 0;
  std::size_t firstUnencodable = 0;  // unit offset in the text
  char32_t firstUnencodableChar = 0;
};
EncodedText Encode(Encoding encoding, std::u16string_view text);

// Bytes of one encoding in another, through Unicode: Encode(to, Decode(from, bytes)). A
// private-use escape of an undecodable byte goes out as that byte.
EncodedText Transcode(Encoding from, Encoding to, std::string_view bytes);

// UTF-8 of a single code point (for messages).
std::string Utf8Of(char32_t c);

}  // namespace morvane
