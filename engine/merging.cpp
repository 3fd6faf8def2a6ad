#include "engine/merging.h"

#include <vector>

#include "core/numbers.h"
#include "engine/control_names.h"
#include "engine/encoding_choice.h"
#include "engine/file_choosing.h"
#include "engine/messages.h"

namespace morvane {
namespace {

void ClearRow(Toolkit& ui, MergeSettings& merge, int row) {
  merge.mergeText[row] = ByteText();
  merge.mergePath[row] = Path();
  merge.mergeEncoding[row] = {};
  ui.SetText(names::kMergePathBox[row], ByteText());
  ShowDetected(ui, names::kMergeEncodingList[row], std::nullopt);
}

// The texts alone, as the sizes shown elsewhere count them: the banner is the program's.
std::int64_t TotalBytes(std::span<const ByteText> texts) {
  std::int64_t bytes = 0;
  for (const ByteText& text : texts) bytes += static_cast<std::int64_t>(text.size());
  return bytes;
}

}  // namespace

void ShowMergeRows(Toolkit& ui, int count) {
  if (count < 2 || count > 5) return;
  for (int row = 3; row <= 5; ++row) {
    const bool shown = row <= count;
    ui.SetVisible(names::kMergeRowLabel[row], shown);
    ui.SetVisible(names::kMergePathBox[row], shown);
    ui.SetVisible(names::kMergeOpenButton[row], shown);
    ui.SetVisible(names::kMergeEncodingList[row], shown);
  }
}

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

void OpenMergeFile(Toolkit& ui, AppState& state, int row) {
  MergeSettings& merge = state.merge;
  const auto encoding = EncodingForNextFile(merge.mergePath[row], merge.mergeChosen[row]);
  const auto file = ChooseAndReadFile(ui, names::kMergeDialog, -1, encoding);
  if (!file) return;
  KeepChoice(ui, names::kMergeEncodingList[row], merge.mergeChosen[row], encoding);
  ui.SetPath(names::kMergePathBox[row], file->path);
  LoadMergeText(ui, state, row, *file);
  if (row == 1) ui.SetPath(names::kPrefixBox, BaseNameOf(file->path));
  WarnIfEndedEarly(ui, *file);
}

void LoadMergeText(Toolkit& ui, AppState& state, int row, const ChosenFile& file) {
  MergeSettings& merge = state.merge;
  merge.mergeText[row] = file.read.text;
  merge.mergePath[row] = file.path;
  merge.mergeEncoding[row] = file.read.detected;
  ShowReadEncoding(ui, names::kMergeEncodingList[row], merge.mergeChosen[row], file.read.detected);
}

void SelectMergeCount(Toolkit& ui, AppState& state) {
  const int index = ui.SelectedIndex(names::kMergeCountList);
  state.merge.mergeCount = ToInteger(ui.ComboItemText(names::kMergeCountList, index));
  ShowMergeRows(ui, state.merge.mergeCount);
}

void MergeFiles(Toolkit& ui, AppState& state) {
  if (!RequireSaveFolder(ui, state)) return;
  for (int row = 1; row <= 2; ++row) {
    if (ui.Text(names::kMergePathBox[row]).empty()) {
      ui.ShowMessageBox(messages::OpenMergeFileFirst(row));
      return;
    }
  }
  MergeSettings& merge = state.merge;
  const int count = merge.mergeCount;
  // Rows beyond the count are emptied before the rows within it are tested, so a merge
  // that stops at a test has already cleared them.
  if (count >= 2 && count <= 5) {
    for (int row = count + 1; row <= 5; ++row) ClearRow(ui, merge, row);
    for (int row = 3; row <= count; ++row) {
      if (ui.Text(names::kMergePathBox[row]).empty()) {
        ui.ShowMessageBox(messages::OpenMergeFileFirst(row));
        return;
      }
    }
  }
  const auto target = OutputTargetOf(ui);
  if (!target) return;
  if (auto refusal =
          RefuseOutputs(ui, {*target, true, 0, 0}, std::span(merge.mergePath).subspan(1))) {
    ui.ShowMessageBox(*refusal);
    return;
  }
  if (!ConfirmOutputFolder(ui, state, target->folder)) return;
  // Rows beyond the count are empty by now and add nothing.
  std::vector<MergeInput> inputs;
  for (int row = 1; row <= 5; ++row) {
    if (merge.mergePath[row].empty() && merge.mergeText[row].empty()) continue;
    inputs.push_back({merge.mergePath[row], merge.mergeText[row], merge.mergeEncoding[row]});
  }
  auto joined = MergedTexts(inputs, merge.mergeTo, state.bannerText);
  if (const auto* refusal = std::get_if<ByteText>(&joined)) {
    ui.ShowMessageBox(*refusal);
    return;
  }
  const MergedText& merged = std::get<MergedText>(joined);
  WriteReport report;
  const auto bytes = TotalBytes(merged.texts) + static_cast<std::int64_t>(merged.form.bom.size());
  ui.RunLongWork({1, bytes}, [&](Progress& progress) {
    report = WriteMerged(*target, merged.texts, merged.form, &progress);
  });
  ShowOutcome(ui, report, messages::MergeFinished(), messages::HintCaption());
}

}  // namespace morvane
