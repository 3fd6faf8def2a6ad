#include "engine/size_cutting.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "core/numbers.h"
#include "engine/control_names.h"
#include "engine/file_choosing.h"
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

PieceCutter::PieceCutter(const ByteText& text, int pieceBytes)
    : text_(text), pieceBytes_(pieceBytes) {}

std::size_t PieceCutter::RunEndFrom(std::size_t offset) {
  if (offset >= runStart_ && offset < runEnd_) return runEnd_;
  std::size_t end = offset;
  while (IsLeadByteAt(text_, static_cast<int>(end))) ++end;
  runStart_ = offset;
  runEnd_ = end;
  return end;
}

ByteText PieceCutter::Next() {
  const std::int64_t remaining = static_cast<std::int64_t>(text_.size() - offset_);
  std::int64_t end = pieceBytes_;
  // The byte after the nominal piece opens an odd run of lead bytes: it is the second
  // half of a character that began inside the piece, so the piece takes it along.
  if (end >= 0 && end < remaining) {
    const std::size_t next = offset_ + static_cast<std::size_t>(end);
    if (IsLeadByteAt(text_, static_cast<int>(next)) && (RunEndFrom(next) - next) % 2 == 1) ++end;
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

std::vector<ByteText> CutPieces(const ByteText& text, int size, int pieceBytes) {
  std::vector<ByteText> pieces;
  const int count = PieceCount(size, pieceBytes);
  PieceCutter cutter(text, pieceBytes);
  for (int i = 1; i <= count; ++i) pieces.push_back(cutter.Next());
  return pieces;
}

WriteReport WritePieces(const OutputTarget& target, const ByteText& text, int size, int pieceBytes,
                        const ByteText& banner, Progress* progress) {
  WriteReport report(progress);
  const int count = PieceCount(size, pieceBytes);
  PieceCutter cutter(text, pieceBytes);
  std::int64_t bytes = 0;
  for (std::int64_t i = 1; i <= count; ++i) {
    if (StopBeforeNextFile(progress, report)) break;
    const Path path = PiecePath(target, static_cast<int>(i));
    const ByteText piece = cutter.Next();
    report.Record(path, WriteOutputFile(path, piece, banner));
    bytes += static_cast<std::int64_t>(piece.size() + banner.size());
    if (progress != nullptr) progress->Advance(i, bytes);
  }
  return report;
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
  const auto file = ChooseAndReadFile(ui, names::kSimpleDialog, kLargeSimpleText);
  if (!file) return;
  state.cut.simplePath = file->path;
  ui.SetText(names::kSimpleText, file->read.text);
  ui.SetPath(names::kPrefixBox, BaseNameOf(file->path));
  ShowSimpleCutCount(ui, state);
  WarnIfEndedEarly(ui, *file);
}

void OpenForNormalCut(Toolkit& ui, AppState& state) {
  const auto file = ChooseAndReadFile(ui, names::kNormalDialog);
  if (!file) return;
  state.cut.normalPath = file->path;
  // Headings found in the previous text mean nothing in this one.
  state.chapterSearchDone = 0;
  ui.SetPath(names::kNormalPathBox, file->path);
  ui.SetPath(names::kPrefixBox, BaseNameOf(file->path));
  ShowNormalCutSize(ui, state, file->read.text);
  WarnIfEndedEarly(ui, *file);
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
                state.cut.simplePath);
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
                state.cut.normalPieceBytes, state.cut.normalPath);
}

void CutIntoPieces(Toolkit& ui, AppState& state, const ByteText& text, int size, int pieceBytes,
                   const Path& source) {
  const auto target = OutputTargetOf(ui);
  if (!target) return;
  const OutputPlan plan{*target, false, 1, PieceCount(size, pieceBytes)};
  const Path inputs[] = {source};
  if (auto refusal = RefuseOutputs(ui, plan, inputs)) {
    ui.ShowMessageBox(*refusal);
    return;
  }
  WriteReport report;
  const ByteText banner = state.bannerText;
  const std::int64_t files = plan.last;
  ui.RunLongWork({files, size + files * static_cast<std::int64_t>(banner.size())},
                 [&](Progress& progress) {
                   report = WritePieces(*target, text, size, pieceBytes, banner, &progress);
                 });
  ShowOutcome(ui, report, messages::CutFinished(), DefaultCaption());
}

}  // namespace morvane
