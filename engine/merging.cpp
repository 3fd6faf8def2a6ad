// SPDX-License-Identifier: MIT
#include "engine/merging.h"

#include <functional>
#include <vector>

#include "engine/messages.h"

namespace morvane {
namespace {

// The texts alone, as the sizes shown elsewhere count them: the banner is the program's.
std::int64_t TotalBytes(std::span<const ByteText> texts) {
  std::int64_t bytes = 0;
  for (const ByteText& text : texts) bytes += static_cast<std::int64_t>(text.size());
  return bytes;
}

// Piece of a text converted at a time: large enough that ICU's cost per call does not
// count, small enough to stay out of the memory account.
constexpr std::size_t kPieceBytes = 1u << 20;

// The encodings that hold every character.
bool HoldsEverything(Encoding encoding) {
  return encoding == Encoding::kUtf8 || IsUtf16(encoding);
}

}  // namespace

MergedPieces::MergedPieces(std::string_view text, Encoding from, Encoding to)
    : text_(text), from_(from), to_(to) {}

std::optional<std::string_view> MergedPieces::Next() {
  if (!Converts()) {
    if (started_) return std::nullopt;
    started_ = true;
    return text_;
  }
  if (at_ >= text_.size()) return std::nullopt;
  const std::size_t end = BoundaryAtOrAfter(from_, text_, at_ + kPieceBytes, at_);
  piece_ = Transcode(from_, to_, text_.substr(at_, end - at_)).bytes;
  at_ = end;
  return std::string_view(piece_);
}

std::optional<MergeRefusal> RefuseMergeInput(const MergeInput& input, Encoding target) {
  const Encoding from = input.detected.encoding;
  if (from == target) return std::nullopt;
  const std::string_view text = input.text.view();
  const auto bom = static_cast<std::int64_t>(input.detected.bom ? BomOf(from).size() : 0);
  const Undecodable undecodable = FindUndecodable(from, text);
  if (undecodable.count > 0) {
    return MergeRefusal{messages::CannotMergeBytes(
        input.path, from, static_cast<std::int64_t>(undecodable.first) + bom, target)};
  }
  if (HoldsEverything(target)) return std::nullopt;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = BoundaryAtOrAfter(from, text, at + kPieceBytes, at);
    const std::string_view piece = text.substr(at, end - at);
    const EncodedText encoded = Encode(target, Decode(from, piece).text);
    if (encoded.unencodable > 0) {
      // Where the character stands in its own file: the units' byte offsets.
      const DecodedText located = Decode(from, piece, true);
      return MergeRefusal{messages::CannotMergeCharacter(
          input.path, encoded.firstUnencodableChar,
          static_cast<std::int64_t>(at + located.offsets[encoded.firstUnencodable]) + bom, target)};
    }
    at = end;
  }
  return std::nullopt;
}

std::optional<MergeRefusal> RefuseMergeInputs(std::span<const MergeInput> inputs, Encoding target) {
  for (const MergeInput& input : inputs) {
    if (auto refusal = RefuseMergeInput(input, target)) return refusal;
  }
  return std::nullopt;
}

OutputForm MergedFormOf(const MergeInput& first, std::optional<Encoding> to,
                        const ByteText& gbkBanner) {
  const Encoding target = to.value_or(first.detected.encoding);
  return OutputFormOf({target, first.detected.bom && !BomOf(target).empty()}, gbkBanner);
}

WriteReport WriteMerged(const OutputTarget& target, std::span<const ByteText> texts,
                        const ByteText& banner, Progress* progress) {
  WriteReport report(progress);
  const Path path = MergedPath(target);
  report.Record(path, WriteOutputFile(path, texts, banner));
  if (StopBeforeNextFile(progress, report)) return report;
  if (progress != nullptr) progress->Advance(1, TotalBytes(texts));
  return report;
}

WriteReport WriteMerged(const OutputTarget& target, std::span<const MergeInput> inputs,
                        const OutputForm& form, Progress* progress) {
  WriteReport report(progress);
  const Path path = MergedPath(target);
  std::size_t next = 0;  // 0 the mark, 1.. the inputs, then the banner
  std::optional<MergedPieces> pieces;
  // The texts alone, counted before conversion, as MergeFiles announces them.
  std::int64_t bytes = static_cast<std::int64_t>(form.bom.size());
  for (const MergeInput& input : inputs) bytes += static_cast<std::int64_t>(input.text.size());
  const std::function<NextPart()> source = [&]() -> NextPart {
    for (;;) {
      if (pieces) {
        if (const auto piece = pieces->Next()) return {*piece, false, false, pieces->Converts()};
        pieces.reset();
      }
      const std::size_t part = next++;
      if (part == 0) return {form.bom.view()};
      if (part == inputs.size() + 1) return {form.banner.view()};
      if (part > inputs.size() + 1) return {{}, true};
      const MergeInput& input = inputs[part - 1];
      pieces.emplace(input.text.view(), input.detected.encoding, form.encoding);
    }
  };
  report.Record(path, WriteFilePartsAsReady(path, source));
  if (StopBeforeNextFile(progress, report)) return report;
  if (progress != nullptr) progress->Advance(1, bytes);
  return report;
}

}  // namespace morvane
