#include "engine/merging.h"

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

}  // namespace

WriteReport WriteMerged(const OutputTarget& target, std::span<const ByteText> texts,
                        const OutputForm& form, Progress* progress) {
  if (form.bom.empty()) return WriteMerged(target, texts, form.banner, progress);
  std::vector<ByteText> parts{form.bom};
  parts.insert(parts.end(), texts.begin(), texts.end());
  return WriteMerged(target, parts, form.banner, progress);
}

std::variant<MergedText, ByteText> MergedTexts(std::span<const MergeInput> inputs,
                                               std::optional<Encoding> to,
                                               const ByteText& gbkBanner) {
  MergedText merged;
  if (inputs.empty()) return merged;
  const Encoding target = to.value_or(inputs.front().detected.encoding);
  merged.form = MergedFormOf(inputs.front(), to, gbkBanner);
  for (const MergeInput& input : inputs) {
    auto text = MergedTextOf(input, target);
    if (const auto* refusal = std::get_if<MergeRefusal>(&text)) return refusal->message;
    merged.texts.push_back(std::get<ByteText>(std::move(text)));
  }
  return merged;
}

OutputForm MergedFormOf(const MergeInput& first, std::optional<Encoding> to,
                        const ByteText& gbkBanner) {
  const Encoding target = to.value_or(first.detected.encoding);
  return OutputFormOf({target, first.detected.bom && !BomOf(target).empty()}, gbkBanner);
}

std::variant<ByteText, MergeRefusal> MergedTextOf(const MergeInput& input, Encoding target) {
  const Encoding from = input.detected.encoding;
  if (from == target) return input.text;
  const DecodedText decoded = Decode(from, input.text.view());
  EncodedText encoded = Encode(target, decoded.text);
  if (encoded.unencodable > 0) {
    // Where the character stands in its own file: the units' byte offsets.
    const DecodedText located = Decode(from, input.text.view(), true);
    const std::size_t bom = input.detected.bom ? BomOf(from).size() : 0;
    return MergeRefusal{messages::CannotMergeCharacter(
        input.path, encoded.firstUnencodableChar,
        static_cast<std::int64_t>(located.offsets[encoded.firstUnencodable] + bom), target)};
  }
  return ByteText::Copy(encoded.bytes);
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

}  // namespace morvane
