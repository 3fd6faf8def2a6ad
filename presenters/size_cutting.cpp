// SPDX-License-Identifier: MIT
#include "presenters/size_cutting.h"

#include <cstdio>
#include <functional>
#include <string_view>

#include "core/numbers.h"
#include "engine/banner.h"
#include "engine/messages.h"
#include "engine/output_checks.h"
#include "engine/size_cutting.h"
#include "presenters/control_names.h"
#include "presenters/encoding_choice.h"
#include "presenters/output_steps.h"

namespace morvane {

void ShowSimpleCutCount(Toolkit& ui, AppState& state) {
  CutSettings& cut = state.cut;
  // An undo may take back a cleaning that changed the box's encoding: the page follows the
  // box, so that a cut writes the text in the encoding it is in.
  if (const std::optional<Encoding> shown = ui.TextEncodingNow(names::kSimpleText);
      shown && *shown != cut.simpleEncoding.encoding) {
    cut.simpleEncoding = {*shown, cut.simpleEncoding.bom && !BomOf(*shown).empty()};
    KeepChoice(ui, names::kSimpleEncodingList, cut.simpleChosen, *shown);
  }
  cut.simplePieceBytes = SimplePieceBytesOf(ToInteger(ui.Text(names::kSimplePieceBytesBox)));
  cut.simpleTextBytes = ui.TextLength(names::kSimpleText);
  ui.SetText(names::kSimpleSizeLabel, Concat({ToText(cut.simpleTextBytes), messages::BytesUnit()}));
  // A size the cut refuses has no count: a dash stands where it would be.
  ui.SetText(names::kSimpleCountLabel,
             cut.simplePieceBytes < 1
                 ? ByteText("-")
                 : ToText(PieceCount(cut.simpleTextBytes, cut.simplePieceBytes)));
}

void UpdateNormalPieceSize(Toolkit& ui, AppState& state) {
  state.cut.normalPieceBytes = PieceBytesOfKilobytes(ToInteger(ui.Text(names::kCutSizeBox)));
}

void OpenForSimpleCut(Toolkit& ui, AppState& state) {
  const auto encoding = EncodingForNextFile(state.cut.simplePath, state.cut.simpleChosen);
  const auto file = ChooseAndReadFile(ui, names::kSimpleDialog, kLargeSimpleText, encoding);
  if (!file) return;
  KeepChoice(ui, names::kSimpleEncodingList, state.cut.simpleChosen, encoding);
  LoadSimpleText(ui, state, *file);
  ui.SetPath(names::kPrefixBox, BaseNameOf(file->path));
  ShowSimpleCutCount(ui, state);
  WarnIfEndedEarly(ui, *file);
}

void LoadSimpleText(Toolkit& ui, AppState& state, const ChosenFile& file) {
  state.cut.simplePath = file.path;
  state.cut.simpleEncoding = file.read.detected;
  state.cut.simpleReadHash = std::hash<std::string_view>{}(file.read.text.view());
  // The box steps, shows and types characters of the text's encoding.
  ui.SetTextEncoding(names::kSimpleText, file.read.detected.encoding);
  ui.SetText(names::kSimpleText, file.read.text);
  ShowReadEncoding(ui, names::kSimpleEncodingList, state.cut.simpleChosen, file.read.detected);
}

void OpenForNormalCut(Toolkit& ui, AppState& state) {
  const auto encoding = EncodingForNextFile(state.cut.normalPath, state.cut.normalChosen);
  const auto file = ChooseAndReadFile(ui, names::kNormalDialog, -1, encoding);
  if (!file) return;
  KeepChoice(ui, names::kNormalEncodingList, state.cut.normalChosen, encoding);
  ui.SetPath(names::kNormalPathBox, file->path);
  ui.SetPath(names::kPrefixBox, BaseNameOf(file->path));
  LoadNormalText(ui, state, *file);
  WarnIfEndedEarly(ui, *file);
}

void LoadNormalText(Toolkit& ui, AppState& state, const ChosenFile& file) {
  state.cut.normalPath = file.path;
  state.cut.normalEncoding = file.read.detected;
  // Headings found in the previous text, and a map of them, mean nothing in this one.
  state.chapterSearchDone = 0;
  state.chapterPlan.reset();
  state.chapterMapFile = Path();
  ShowNormalCutSize(ui, state, file.read.text);
  ShowReadEncoding(ui, names::kNormalEncodingList, state.cut.normalChosen, file.read.detected);
}

void ShowNormalCutSize(Toolkit& ui, AppState& state, const ByteText& text) {
  CutSettings& cut = state.cut;
  cut.normalTextBytes = TextLength(text);
  // One decimal, as the chapter map shows sizes: "1704.6 K", not every digit of the division.
  char kilobytes[32];
  std::snprintf(kilobytes, sizeof kilobytes, "%.1f", cut.normalTextBytes / 1024.0);
  ui.SetText(names::kNormalSizeLabel,
             Concat({ByteText(std::string_view(kilobytes)), messages::KilobyteUnit()}));
  cut.normalText = text;
  UpdateNormalPieceSize(ui, state);
}

void SimpleCut(Toolkit& ui, AppState& state) {
  if (!RequireSaveFolder(ui, state)) return;
  const ByteText text = ui.Text(names::kSimpleText);
  if (text.empty()) {
    ui.ShowMessageBox(messages::FileToCutIsEmpty(), 0, messages::WarningCaption());
    return;
  }
  if (state.cut.simplePieceBytes < 1) {
    ui.ShowMessageBox(messages::BadPieceBytes());
    return;
  }
  CutIntoPieces(ui, state, text, state.cut.simpleTextBytes, state.cut.simplePieceBytes,
                state.cut.simplePath, state.cut.simpleEncoding);
}

void NormalCut(Toolkit& ui, AppState& state) {
  if (!RequireSaveFolder(ui, state)) return;
  if (ui.Text(names::kNormalPathBox).empty()) {
    ui.ShowMessageBox(messages::OpenFileToCutFirst());
    return;
  }
  if (state.cut.normalPieceBytes < 1) {
    ui.ShowMessageBox(messages::BadCutSize());
    return;
  }
  CutIntoPieces(ui, state, state.cut.normalText, state.cut.normalTextBytes,
                state.cut.normalPieceBytes, state.cut.normalPath, state.cut.normalEncoding);
}

void CutIntoPieces(Toolkit& ui, AppState& state, const ByteText& text, int size, int pieceBytes,
                   const Path& source, const Detected& encoding) {
  const auto target = OutputTargetOf(ui);
  if (!target) return;
  const OutputPlan plan{*target, false, 1, PieceCount(size, pieceBytes)};
  if (auto refusal = RefuseOutputs(ui, plan, RunFiles{{source}, target->folder, {}})) {
    ui.ShowMessageBox(*refusal);
    return;
  }
  if (!ConfirmOutputFolder(ui, state, target->folder)) return;
  WriteReport report;
  const OutputForm form = OutputFormOf(encoding, state.bannerText);
  const std::int64_t files = plan.last;
  // The text alone, with the byte-order mark that starts each file; the banner is the
  // program's.
  ui.RunLongWork({files, size + files * static_cast<std::int64_t>(form.bom.size())},
                 [&](Progress& progress) {
                   report = WritePieces(*target, text, size, pieceBytes, form, &progress);
                 });
  ShowOutcome(ui, report, messages::CutFinished(), {});
}

}  // namespace morvane
