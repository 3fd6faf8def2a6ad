// SPDX-License-Identifier: MIT
#include "engine/size_cutting.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "core/numbers.h"

namespace morvane {

int PieceCount(int size, int pieceBytes) {
  if (pieceBytes == 0) return 0;
  const double quotient = static_cast<double>(size) / pieceBytes;
  const int whole = static_cast<int>(std::trunc(quotient));
  const bool remainderLeft = std::fabs(Remainder(size, pieceBytes)) > 1e-7;
  return whole + (remainderLeft ? 1 : 0);
}

int SimplePieceBytesOf(int boxValue) {
  return boxValue == 0 ? 1 : boxValue;
}

int PieceBytesOfKilobytes(int kilobytes) {
  const double bytes = std::trunc(kilobytes * 1024.0);
  if (bytes > INT_MAX || bytes < INT_MIN) return 0;
  return static_cast<int>(bytes);
}

PieceCutter::PieceCutter(const ByteText& text, int pieceBytes, Encoding encoding)
    : text_(text), pieceBytes_(pieceBytes), encoding_(encoding) {}

ByteText PieceCutter::Next() {
  const std::int64_t remaining = static_cast<std::int64_t>(text_.size() - offset_);
  std::int64_t end = pieceBytes_;
  // A nominal end inside a character moves to the character's end.
  if (end > 0 && end < remaining) {
    const std::size_t nominal = offset_ + static_cast<std::size_t>(end);
    end = static_cast<std::int64_t>(BoundaryAtOrAfter(encoding_, text_.view(), nominal, offset_) -
                                    offset_);
  }
  const std::int64_t taken = std::clamp<std::int64_t>(end, 0, remaining);
  ByteText piece = text_.Slice(offset_, static_cast<std::size_t>(taken));
  // What is left is the last (remaining - end) bytes: nothing when that is not positive,
  // everything when it is not below what there was (a piece size below 1).
  const std::int64_t kept = remaining - end;
  if (kept <= 0) {
    offset_ = text_.size();
  } else if (kept < remaining) {
    offset_ += static_cast<std::size_t>(remaining - kept);
  }
  return piece;
}

std::vector<ByteText> CutPieces(const ByteText& text, int size, int pieceBytes, Encoding encoding) {
  std::vector<ByteText> pieces;
  const int count = PieceCount(size, pieceBytes);
  PieceCutter cutter(text, pieceBytes, encoding);
  for (int i = 1; i <= count; ++i) pieces.push_back(cutter.Next());
  return pieces;
}

WriteReport WritePieces(const OutputTarget& target, const ByteText& text, int size, int pieceBytes,
                        const OutputForm& form, Progress* progress) {
  WriteReport report(progress);
  const int count = PieceCount(size, pieceBytes);
  PieceCutter cutter(text, pieceBytes, form.encoding);
  FileWriter writer(report, progress,
                    static_cast<std::int64_t>(text.size()) >= FileWriter::kSideBySideBytes);
  for (std::int64_t i = 1; i <= count; ++i) {
    if (!writer.Write(i, PiecePath(target, static_cast<int>(i)), {form.bom, cutter.Next()},
                      form.banner))
      break;
  }
  writer.Finish();
  return report;
}

WriteReport WritePieces(const OutputTarget& target, const ByteText& text, int size, int pieceBytes,
                        const ByteText& banner, Progress* progress) {
  return WritePieces(target, text, size, pieceBytes, OutputForm{Encoding::kGbk, {}, banner},
                     progress);
}

}  // namespace morvane
