#include "engine/size_cutting.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <string_view>

#include "core/numbers.h"
#include "engine/control_names.h"
#include "engine/encoding_choice.h"
#include "engine/messages.h"

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

void ShowSimpleCutCount(Toolkit& ui, AppState& state) {
  CutSettings& cut = state.cut;
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
  // Headings found in the previous text mean nothing in this one.
  state.chapterSearchDone = 0;
  ShowNormalCutSize(ui, state, file.read.text);
  ShowReadEncoding(ui, names::kNormalEncodingList, state.cut.normalChosen, file.read.detected);
}

void ShowNormalCutSize(Toolkit& ui, AppState& state, const ByteText& text) {
  CutSettings& cut = state.cut;
  cut.normalTextBytes = TextLength(text);
  ui.SetText(names::kNormalSizeLabel,
             Concat({ToText(cut.normalTextBytes / 1024.0), messages::KilobyteUnit()}));
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
  const Path inputs[] = {source};
  if (auto refusal = RefuseOutputs(ui, plan, inputs)) {
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
  ShowOutcome(ui, report, messages::CutFinished(), DefaultCaption());
}

}  // namespace morvane
