// SPDX-License-Identifier: MIT
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
// Bytes that are no character of the encoding (what Decode lists as stand-ins), counted
// without decoding: how many, and the offset of the first.
struct Undecodable {
  std::size_t count = 0;
  std::size_t first = 0;
};
// later's bytes added to earlier's, for two stretches that follow each other.
inline void JoinUndecodable(Undecodable& earlier, const Undecodable& later) {
  if (earlier.count == 0) earlier.first = later.first;
  earlier.count += later.count;
}

// What one pass over a file's bytes tells detection and the text end.
struct ByteFacts {
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  bool high = false;                  // a byte of 0x80 or above
  std::size_t zeros = 0;              // zero bytes
  std::size_t firstMark = kNone;      // offset of the first 0x00 or 0x1A
  std::size_t firstFourByte = kNone;  // the first four-byte GB18030 character at a boundary
  // The bytes that are no GBK character, counted as FindUndecodable counts them, when the
  // pass could count them (gbkCounted; the facts of no bytes are counted): what a GBK text
  // without a mark needs to know, found without a pass of its own.
  Undecodable gbk;
  bool gbkCounted = true;
};
// Bytes from this many on are looked at in two halves side by side.
inline constexpr std::size_t kSideBySideBytes = 8u << 20;
// The facts of bytes, in one pass (two halves on two threads when sideBySide and the
// bytes are many).
ByteFacts ScanBytes(std::string_view bytes, bool sideBySide = true);
// The facts of bytes [from, to) of bytes, offsets counted from the start of bytes (a
// four-byte GB18030 character that starts before to is looked at whole), and the facts of
// two ranges that follow each other joined into those of both: ScanBytes in pieces. A range
// starts and ends where a GBK character may start (GbkStartAtOrAfter), so that the GBK count
// needs nothing from the range before.
ByteFacts ScanBytesIn(std::string_view bytes, std::size_t from, std::size_t to);
void JoinFacts(ByteFacts& earlier, const ByteFacts& later);
// The first offset at or after at that follows a byte that is no GBK lead byte (a character
// starts there however the bytes before it pair up), or the size of bytes.
std::size_t GbkStartAtOrAfter(std::string_view bytes, std::size_t at);
// FindUndecodable(encoding, bytes) when facts = ScanBytes(bytes) already tell it: a GBK text
// in which no mark ended the text.
std::optional<Undecodable> UndecodableOf(Encoding encoding, const ByteFacts& facts);
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

// ---- conversion ----------------------------------------------------------------------------
//
// Decoding gives two kinds of result that never mix: characters, and bytes that are no
// character of the encoding (undecodable bytes: an invalid or incomplete sequence, a lone
// 0x80 or 0xFF, an odd last byte or an unpaired surrogate of UTF-16). An undecodable byte
// of 0x80 or above stands in the text as the private-use unit kRawBase + byte (a stand-in),
// one below 0x80 as itself (an unpaired UTF-16 surrogate stays the unit it is), and the
// unit offsets of all of them are listed in standIns. Whether a unit is a stand-in is told
// by that list, never by its value: a text may hold the private-use characters
// U+F700..U+F7FF as characters (Big5 C7D3..C8B5 decode to U+F780..U+F7FF).
//
// The two policies:
//   within one encoding (cuts, names, a text shown)  EncodeBack: the listed stand-ins
//       become their bytes again, so EncodeBack(e, Decode(e, b)) == b; text typed back
//       in a window, whose list is lost, goes through EncodeShown;
//   between encodings (--to, --convert, EPUB text, merge --to)  Transcode: undecodable
//       bytes are refused with the offset of the first; every unit is a character.
inline constexpr char16_t kRawBase = 0xF700;

struct DecodedText {
  std::u16string text;
  // With offsets asked for: offsets[i] is the byte offset of the character that holds
  // unit i, and offsets[text.size()] the number of bytes.
  std::vector<std::uint32_t> offsets;
  std::size_t undecodable = 0;       // bytes that are no character of the encoding
  std::size_t firstUndecodable = 0;  // byte offset of the first one
  // Unit offsets in text of the units that stand for undecodable bytes, ascending.
  std::vector<std::uint32_t> standIns;
};
DecodedText Decode(Encoding encoding, std::string_view bytes, bool withOffsets = false);

// The bytes of bytes that are no character of encoding.
Undecodable FindUndecodable(Encoding encoding, std::string_view bytes);

// The bytes of a Unicode text in an encoding, every unit a character (private-use ones
// included). A character that the encoding cannot hold (and an unpaired surrogate) is
// counted, the first one kept with its position (the unit offset in text), and written as
// "?". The output is always whole characters of the encoding: UTF-16 output is of even
// length.
struct EncodedText {
  std::string bytes;
  std::size_t unencodable = 0;
  std::size_t firstUnencodable = 0;  // unit offset in the text
  char32_t firstUnencodableChar = 0;
  // Transcode only: bytes of the input that are no character of its encoding. When there
  // are any nothing is converted: bytes is empty and nothing is unencodable.
  std::size_t undecodable = 0;
  std::size_t firstUndecodable = 0;  // byte offset in the input
};
EncodedText Encode(Encoding encoding, std::u16string_view text);

// Decode undone: the units at the offsets of standIns become the bytes they stand for,
// the rest is encoded as characters. For the encoding the text was decoded from, or for
// UTF-8 to show it in a terminal as it stands (a stand-in goes out as its raw byte).
std::string EncodeBack(Encoding encoding, std::u16string_view text,
                       const std::vector<std::uint32_t>& standIns);
inline std::string EncodeBack(Encoding encoding, const DecodedText& decoded) {
  return EncodeBack(encoding, decoded.text, decoded.standIns);
}

// Text that was shown in a window (or a terminal) and comes back typed, where the list of
// stand-ins is lost: units U+F780..U+F7FF become the bytes they stand for, the rest is
// encoded as characters (but those that Windows writes as one byte, U+20AC as 0x80 in
// GBK, are that byte, as the windows always wrote them); in UTF-16 every unit is written
// as it is. This is the one place where the range of the stand-ins is taken for them: a
// private-use character of that range in the window's text comes back as a byte.
std::string EncodeShown(Encoding encoding, std::u16string_view text);

// Bytes of one encoding in another: Encode(to, Decode(from, bytes)), refused (see
// EncodedText::undecodable) when the bytes hold any that are no character of from. From
// an encoding to itself the bytes are copied as they are.
EncodedText Transcode(Encoding from, Encoding to, std::string_view bytes);

// UTF-8 of a single code point (for messages).
std::string Utf8Of(char32_t c);

}  // namespace morvane
