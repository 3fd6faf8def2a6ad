// SPDX-License-Identifier: MIT
#pragma once
// Byte text: the one text value of the program, and every operation on it that the
// cutting, cleaning, chapter and merge code uses.
//
// A ByteText is an immutable run of GBK (code page 936) bytes that never holds a zero
// byte; the text of a file in another encoding (encoding.h) is a ByteText of that
// encoding's bytes, which in UTF-16 do hold zero bytes. Lengths count bytes, positions are 1-based
// byte positions, and the empty text stands for every absent or out-of-range text. Copies share one
// buffer, and the left, right and middle parts of a text are views into the same buffer: cutting a
// gigabyte into pieces never copies the remaining text.
//
// Only the search, replace and text-to-integer operations know about double-byte
// characters. They use "character stepping": a byte of 0x80 or above is taken together
// with the byte after it, any other byte alone. IsLeadByteAt asks the code page instead
// (0x81..0xFE for GBK); the two differ at 0x80 on purpose.

#include <compare>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

namespace morvane {

class ByteText {
 public:
  ByteText() = default;
  // The bytes up to the first zero byte (a text ends before its first zero byte).
  explicit ByteText(std::string_view bytes);
  explicit ByteText(std::string&& bytes);
  // Literal convenience: ByteText("abc").
  explicit ByteText(const char* bytes) : ByteText(std::string_view(bytes)) {}

  // A copy of bytes that keeps zero bytes: the text of a UTF-16 file holds them. Only
  // the encoding-aware operations (encoding.h) and slicing are meant for such a text.
  static ByteText Copy(std::string_view bytes);

  // Wraps bytes that some owner keeps alive (a mapped file, say). The caller
  // guarantees that [data, data + size) holds no zero byte.
  static ByteText Adopt(std::shared_ptr<const void> owner, const char* data, std::size_t size);

  std::string_view view() const { return {data_, size_}; }
  const char* data() const { return data_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  unsigned char byte(std::size_t offset) const { return static_cast<unsigned char>(data_[offset]); }

  // A part of this text sharing its buffer; offset and count are clamped to the text.
  ByteText Slice(std::size_t offset, std::size_t count) const;

  friend bool operator==(const ByteText& a, const ByteText& b) { return a.view() == b.view(); }
  // Unsigned byte order, as text comparison of the engine wants it.
  friend std::strong_ordering operator<=>(const ByteText& a, const ByteText& b);

 private:
  std::shared_ptr<const void> owner_;
  const char* data_ = "";
  std::size_t size_ = 0;
};

// The bytes of a text on their way into a file.
using ByteBuffer = std::string;

// Joins texts without separators, in one allocation.
ByteText Concat(std::initializer_list<ByteText> parts);

// Number of bytes; 0 for the empty text.
int TextLength(const ByteText& text);
// The first n bytes; empty for n <= 0; the whole text when n exceeds its length.
ByteText LeftText(const ByteText& text, int n);
// The last n bytes; empty for n <= 0; the whole text when n exceeds its length.
ByteText RightText(const ByteText& text, int n);
// n bytes from 1-based position start; empty when start is outside the text or n <= 0.
ByteText MidText(const ByteText& text, int start, int n);
// The byte at 1-based position as a signed 8-bit value (0xB5 gives -75); 0 outside the text.
int CharCode(const ByteText& text, int position = 1);

// 1-based position of the first occurrence of wanted at or after start, found by
// character stepping from start (whatever byte start falls on), counted from the
// beginning of the whole text; -1 when there is none. A start of 0 or below searches
// from the beginning. The empty wanted text is found at start itself (-1 in the empty
// text).
int FindText(const ByteText& text, const ByteText& wanted, int start = 1);
// The same scan over the whole text, keeping the last match (matches may overlap);
// -1 when there is none.
int FindTextBackward(const ByteText& text, const ByteText& wanted);
// Every occurrence of wanted replaced in one left-to-right pass with character
// stepping; matches never overlap. A lone last byte of 0x80 or above is kept.
ByteText ReplaceSubtext(const ByteText& text, const ByteText& wanted, const ByteText& replacement);
// Whether the byte at the 0-based offset is a GBK lead byte (0x81..0xFE); false for an
// offset below 0 or at or beyond the end.
bool IsLeadByteAt(const ByteText& text, int offset);

// The bytes of a text, without terminator.
ByteBuffer ToBytes(const ByteText& text);

}  // namespace morvane
