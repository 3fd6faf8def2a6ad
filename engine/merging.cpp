#include "engine/merging.h"

#include <functional>
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

namespace {

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
  if (inputs.empty()) return;
  const OutputForm form = MergedFormOf(inputs.front(), merge.mergeTo, state.bannerText);
  if (auto refusal = RefuseMergeInputs(inputs, form.encoding)) {
    ui.ShowMessageBox(refusal->message);
    return;
  }
  // The texts alone, as the sizes shown elsewhere count them, before any conversion.
  std::int64_t bytes = static_cast<std::int64_t>(form.bom.size());
  for (const MergeInput& input : inputs) bytes += static_cast<std::int64_t>(input.text.size());
  WriteReport report;
  ui.RunLongWork({1, bytes}, [&](Progress& progress) {
    report = WriteMerged(*target, inputs, form, &progress);
  });
  ShowOutcome(ui, report, messages::MergeFinished(), messages::HintCaption());
}

}  // namespace morvane
