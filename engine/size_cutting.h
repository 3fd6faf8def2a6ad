// SPDX-License-Identifier: MIT
#pragma once
// Size cutting: the pieces of the simple cut (bytes per piece) and of the normal cut
// (K per piece), and their writing.
//
// A piece ends after its nominal size, or a little later rather than split a character
// (PieceCutter). The number of pieces is fixed first, so a text whose pieces grew runs out
// early and the last files hold the banner alone.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/byte_text.h"
#include "core/encoding.h"
#include "engine/banner.h"
#include "engine/output_naming.h"
#include "engine/output_writing.h"

namespace morvane {

// The number of pieces: size / pieceBytes truncated toward zero, plus 1 when a remainder
// is left (its magnitude above 1e-7); both in double precision. 1234 by 500 gives 3,
// 0 gives 0, 12 by -5 gives -1. A pieceBytes of 0 gives 0 (the callers refuse it).
int PieceCount(int size, int pieceBytes);
// Bytes per piece of the simple cut for the value of the bytes box: 0 means 1.
int SimplePieceBytesOf(int boxValue);
// Bytes per piece of the normal cut for a cut size in K: kilobytes * 1024, or 0 when that
// does not fit an int (above 2097151 K); 0 and below are refused by the cut.
int PieceBytesOfKilobytes(int kilobytes);

// Hands out the pieces of a text one after another, each a view into the text. A piece
// ends at the first character boundary at or after its nominal end, characters stepped
// in the text's encoding from the start of the text (encoding.h): in GBK at most one byte
// later, in UTF-8 up to three, never inside a UTF-16 surrogate pair or a four-byte
// GB18030 character. Once the text is used up, every further piece is empty. Linear in
// the length of the text: a boundary is looked for no further back than the piece's
// start.
class PieceCutter {
 public:
  PieceCutter(const ByteText& text, int pieceBytes, Encoding encoding = Encoding::kGbk);
  ByteText Next();

 private:
  ByteText text_;
  std::int64_t pieceBytes_;
  Encoding encoding_;
  std::size_t offset_ = 0;  // always a character boundary
};

// All PieceCount(size, pieceBytes) pieces of text (none when the count is below 1).
std::vector<ByteText> CutPieces(const ByteText& text, int size, int pieceBytes,
                                Encoding encoding = Encoding::kGbk);

// Writes piece i to target's prefix-i.txt, i from 1, each between the form's byte-order
// mark and banner, reporting to progress after each file; a stop request before a file
// cancels the report.
WriteReport WritePieces(const OutputTarget& target, const ByteText& text, int size, int pieceBytes,
                        const OutputForm& form, Progress* progress = nullptr);
// The same for a GBK text.
WriteReport WritePieces(const OutputTarget& target, const ByteText& text, int size, int pieceBytes,
                        const ByteText& banner, Progress* progress = nullptr);

}  // namespace morvane
