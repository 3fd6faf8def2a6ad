// SPDX-License-Identifier: MIT
#pragma once
// Merging two to five files, in row order, into prefix已合并.txt.
//
// Each row's text is read when its file is chosen; the merge joins the texts of the rows
// within the count directly (no separator, nothing removed) and writes them with the
// banner in one call, without building the joined text in memory. A text in another
// encoding than the merged file's is converted a piece at a time as it is written, after
// a first pass over all the texts has found nothing that refuses the merge.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/byte_text.h"
#include "core/encoding.h"
#include "engine/banner.h"
#include "engine/output_naming.h"
#include "engine/output_writing.h"

namespace morvane {

// Writes texts, in order, followed by banner, to target's prefix已合并.txt.
// The merge is one file: a stop request while it is written removes it afterwards.
WriteReport WriteMerged(const OutputTarget& target, std::span<const ByteText> texts,
                        const ByteText& banner, Progress* progress = nullptr);

// One file to merge: where it came from, its text and its encoding.
struct MergeInput {
  Path path;
  ByteText text;
  Detected detected;
};
// Why a merge cannot go on: the message that says so.
struct MergeRefusal {
  std::string message;
};
// The form (encoding, byte-order mark, banner) of the merged file whose first input is
// first: the encoding to, or the first file's when none is given, with the first file's
// byte-order mark when it had one and that encoding has one.
OutputForm MergedFormOf(const MergeInput& first, std::optional<Encoding> to,
                        const ByteText& gbkBanner = BannerConstant());
// Why input cannot go into a merged file of encoding target, found before anything is
// converted: bytes that are no character of its own encoding (they would be carried raw
// into another one), or a character that target cannot hold (the message names the file,
// the character and its byte position, and suggests UTF-8). Nothing when target is its own
// encoding: its bytes are copied as they are. Looked at a piece at a time.
std::optional<MergeRefusal> RefuseMergeInput(const MergeInput& input, Encoding target);
// The first refusal among inputs, in order.
std::optional<MergeRefusal> RefuseMergeInputs(std::span<const MergeInput> inputs, Encoding target);

// A text in the merged file's encoding, a piece at a time: its own bytes whole when the
// encoding is its own, else converted pieces of about a MiB of the text each (whole
// characters), so that no converted copy of the whole text is ever held.
class MergedPieces {
 public:
  MergedPieces(std::string_view text, Encoding from, Encoding to);
  // The next piece, valid until the next call (or, when nothing is converted, as long as
  // the text); nothing once the text is done.
  std::optional<std::string_view> Next();
  bool Converts() const { return from_ != to_; }

 private:
  std::string_view text_;
  Encoding from_;
  Encoding to_;
  std::size_t at_ = 0;
  bool started_ = false;
  std::string piece_;
};

// The inputs' texts in the form's encoding (MergedPieces), after its byte-order mark and
// followed by its banner. The inputs must have passed RefuseMergeInputs.
WriteReport WriteMerged(const OutputTarget& target, std::span<const MergeInput> inputs,
                        const OutputForm& form, Progress* progress = nullptr);

}  // namespace morvane
