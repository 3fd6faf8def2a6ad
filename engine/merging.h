#pragma once
// Merging two to five files, in row order, into prefix已合并.txt.
//
// Each row's text is read when its file is chosen; the merge joins the texts of the rows
// within the count directly (no separator, nothing removed) and writes them with the
// banner in one call, without building the joined text in memory.

#include <optional>
#include <span>
#include <variant>
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
// The same after the form's byte-order mark, with its banner.
WriteReport WriteMerged(const OutputTarget& target, std::span<const ByteText> texts,
                        const OutputForm& form, Progress* progress = nullptr);

// One file to merge: where it came from, its text and its encoding.
struct MergeInput {
  Path path;
  ByteText text;
  Detected detected;
};
// The texts to write, all in the merged file's encoding, and what surrounds them.
struct MergedText {
  std::vector<ByteText> texts;
  OutputForm form;
};
// The merged file takes the encoding to, or the first file's when none is given, and the
// first file's byte-order mark when it had one and that encoding has one. Texts in another
// encoding are transcoded into it. A character that the encoding cannot hold refuses the
// merge (the message, naming the file, the character and its byte position, and
// suggesting UTF-8) before anything is written.
// Why a merge cannot go on: the message that says so.
struct MergeRefusal {
  ByteText message;
};
// The form (encoding, byte-order mark, banner) of the merged file whose first input is
// first, as MergedTexts gives it.
OutputForm MergedFormOf(const MergeInput& first, std::optional<Encoding> to,
                        const ByteText& gbkBanner = BannerConstant());
// One input's text in the merged file's encoding target, as MergedTexts takes it, or the
// message that refuses the merge (a character target cannot hold).
std::variant<ByteText, MergeRefusal> MergedTextOf(const MergeInput& input, Encoding target);

std::variant<MergedText, ByteText> MergedTexts(std::span<const MergeInput> inputs,
                                               std::optional<Encoding> to,
                                               const ByteText& gbkBanner = BannerConstant());

}  // namespace morvane
