// The size cut's pieces (CutPieces and PieceCutter) against the plain loop of the cutting
// rule, in every encoding, and the two promises of the rule: the pieces joined give back
// the text, and no piece ends inside a character (in a text of one-byte characters and
// GB2312 characters, both bytes A1..FE, the characters are known beforehand).
//
// Input: a mode byte (bit 0: GB2312 text; bits 2..4: the encoding), two bytes of piece
// size, one of size adjustment, then the text. In the GB2312 mode each byte of the rest
// makes one character, so that nearly every input is well formed.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/byte_text.h"
#include "core/encoding.h"
#include "engine/size_cutting.h"
#include "reference.h"

namespace ref = morvane::reference;

namespace {

// One character per input byte: below 0x60 a one-byte character, otherwise a GB2312
// character whose bytes are taken from the byte, so that runs of lead bytes of every
// length and parity come up. The offsets of the character starts go to starts.
std::string Gb2312Text(const std::string& raw, std::vector<bool>& starts) {
  std::string text;
  for (unsigned char c : raw) {
    starts.push_back(true);
    if (c < 0x60) {
      text += static_cast<char>(c < 0x20 ? 0x41 + c % 26 : c);
    } else {
      text += static_cast<char>(0xA1 + (c * 7) % 94);
      text += static_cast<char>(0xA1 + c % 94);
      starts.push_back(false);
    }
  }
  starts.push_back(true);  // the end of the text
  return text;
}

std::string Joined(const std::vector<morvane::ByteText>& pieces) {
  std::string all;
  for (const auto& p : pieces) all += p.view();
  return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  std::string_view input(reinterpret_cast<const char*>(data), size);
  uint8_t mode = in.ConsumeIntegral<uint8_t>();
  int pieceBytes = in.ConsumeIntegralInRange<int>(-40, 600);
  int sizeShift = in.ConsumeIntegralInRange<int>(-8, 8);
  std::string raw = in.ConsumeRemainingBytesAsString();
  std::vector<bool> starts;
  const int encodingNumber = (mode >> 2) % 6;
  const auto encoding = static_cast<morvane::Encoding>(encodingNumber);
  bool gb2312 = (mode & 1) && encodingNumber == 0;
  // Only a UTF-16 text holds zero bytes.
  if (!morvane::IsUtf16(encoding))
    for (char& c : raw)
      if (c == '\0') c = '\x01';
  std::string text = gb2312 ? Gb2312Text(raw, starts) : raw;
  // The handlers pass the text's own length; other sizes come from a text edited since
  // its size was taken, and must still only change the number of pieces.
  int textSize = static_cast<int>(text.size());
  int cutSize = (mode & 2) ? textSize + sizeShift : textSize;
  if (cutSize < 0) cutSize = 0;
  if (pieceBytes == 0) pieceBytes = 1;  // the cut refuses 0 before it gets here

  const morvane::ByteText t = morvane::ByteText::Copy(text);
  std::vector<morvane::ByteText> pieces = morvane::CutPieces(t, cutSize, pieceBytes, encoding);
  std::vector<std::string_view> want =
      ref::CutIntoPieces(text, cutSize, pieceBytes, encodingNumber);
  if (pieces.size() != want.size()) ref::Fail("number of pieces", text, input);
  if (static_cast<long long>(pieces.size()) !=
      std::max(0, morvane::PieceCount(cutSize, pieceBytes)))
    ref::Fail("number of pieces differs from PieceCount", text, input);
  for (std::size_t i = 0; i < pieces.size(); ++i)
    if (pieces[i].view() != want[i]) ref::Fail("piece bytes", text, input);

  // The cutter knows no count: it goes on while there is text, then gives empty pieces.
  morvane::PieceCutter cutter(t, pieceBytes, encoding);
  for (const auto& piece : pieces)
    if (cutter.Next().view() != piece.view())
      ref::Fail("PieceCutter differs from CutPieces", text, input);
  if (pieceBytes > 0 && cutSize == textSize && (!cutter.Next().empty() || !cutter.Next().empty()))
    ref::Fail("PieceCutter goes on after the end of the text", text, input);

  if (pieceBytes > 0 && cutSize == textSize) {
    if (Joined(pieces) != text) ref::Fail("pieces joined are not the text", text, input);
    std::size_t offset = 0;
    for (const auto& p : pieces) {
      // At most one character longer than asked: 1 byte more in GBK and Big5, whose
      // characters have at most 2 bytes, up to 3 in the others (at most 4).
      if (p.size() > static_cast<std::size_t>(pieceBytes) + (encodingNumber % 5 == 0 ? 1 : 3))
        ref::Fail("piece too long", text, input);
      offset += p.size();
      if (gb2312 && !starts[offset]) ref::Fail("a GB2312 character was split", text, input);
    }
  }
  return 0;
}
