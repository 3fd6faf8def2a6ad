#include "presenters/encoding_choice.h"

#include <functional>
#include <iterator>

#include "core/gbk.h"
#include "engine/messages.h"
#include "presenters/control_names.h"
#include "presenters/file_choosing.h"
#include "presenters/merging.h"
#include "presenters/size_cutting.h"

namespace morvane {
namespace {

// Reads path again in chosen for the list; when that fails the list shows the choice the
// text was read with, which is still the one in use.
std::optional<ChosenFile> ReadAgain(Toolkit& ui, std::string_view list, const Path& path,
                                    std::optional<Encoding> chosen,
                                    std::optional<Encoding> before) {
  auto file = ReadChosenFile(ui, path, chosen);
  if (!file) SelectEncoding(ui, list, before);
  return file;
}

}  // namespace

std::optional<Encoding> ChosenEncoding(const Toolkit& ui, std::string_view list) {
  const int index = ui.SelectedIndex(list);
  if (index < 1 || index > static_cast<int>(std::size(kEncodings))) return std::nullopt;
  return kEncodings[index - 1];
}

void SelectEncoding(Toolkit& ui, std::string_view list, std::optional<Encoding> chosen) {
  int index = 0;
  for (std::size_t i = 0; chosen && i < std::size(kEncodings); ++i) {
    if (kEncodings[i] == *chosen) index = static_cast<int>(i) + 1;
  }
  ui.SetText(list, ui.ComboItemText(list, index));
}

void ShowDetected(Toolkit& ui, std::string_view list, std::optional<Encoding> detected) {
  std::string item = "自动";
  if (detected) {
    item += '(';
    item += EncodingLabel(*detected);
    item += ')';
  }
  ui.SetComboItemText(list, 0, GbkFromUtf8(item));
}

void ShowReadEncoding(Toolkit& ui, std::string_view list, std::optional<Encoding> chosen,
                      const Detected& read) {
  ShowDetected(ui, list, chosen ? std::nullopt : std::optional(read.encoding));
}

std::optional<Encoding> EncodingForNextFile(const Path& open, std::optional<Encoding> chosen) {
  // A choice made for an open file was for that file: a Big5 file read as GBK before
  // says nothing about the UTF-8 file opened after it.
  return open.empty() ? chosen : std::nullopt;
}

void KeepChoice(Toolkit& ui, std::string_view list, std::optional<Encoding>& chosen,
                std::optional<Encoding> used) {
  chosen = used;
  SelectEncoding(ui, list, used);
}

void ChooseNormalEncoding(Toolkit& ui, AppState& state) {
  CutSettings& cut = state.cut;
  const auto chosen = ChosenEncoding(ui, names::kNormalEncodingList);
  if (cut.normalPath.empty()) {
    cut.normalChosen = chosen;
    return;
  }
  const auto file =
      ReadAgain(ui, names::kNormalEncodingList, cut.normalPath, chosen, cut.normalChosen);
  if (!file) return;
  cut.normalChosen = chosen;
  LoadNormalText(ui, state, *file);
  WarnIfEndedEarly(ui, *file);
}

void ChooseSimpleEncoding(Toolkit& ui, AppState& state) {
  CutSettings& cut = state.cut;
  const auto chosen = ChosenEncoding(ui, names::kSimpleEncodingList);
  if (cut.simplePath.empty()) {
    cut.simpleChosen = chosen;
    return;
  }
  const ByteText shown = ui.Text(names::kSimpleText);
  if (!shown.empty() && std::hash<std::string_view>{}(shown.view()) != cut.simpleReadHash &&
      ui.ShowMessageBox(messages::ReadAgainDropsEdits(), kYesNo, messages::HintCaption()) !=
          kAnswerYes) {
    SelectEncoding(ui, names::kSimpleEncodingList, cut.simpleChosen);
    return;
  }
  const auto file =
      ReadAgain(ui, names::kSimpleEncodingList, cut.simplePath, chosen, cut.simpleChosen);
  if (!file) return;
  cut.simpleChosen = chosen;
  LoadSimpleText(ui, state, *file);
  WarnIfEndedEarly(ui, *file);
}

void ChooseMergeEncoding(Toolkit& ui, AppState& state, int row) {
  MergeSettings& merge = state.merge;
  const auto chosen = ChosenEncoding(ui, names::kMergeEncodingList[row]);
  if (merge.mergePath[row].empty()) {
    merge.mergeChosen[row] = chosen;
    return;
  }
  const auto file = ReadAgain(ui, names::kMergeEncodingList[row], merge.mergePath[row], chosen,
                              merge.mergeChosen[row]);
  if (!file) return;
  merge.mergeChosen[row] = chosen;
  LoadMergeText(ui, state, row, *file);
  WarnIfEndedEarly(ui, *file);
}

void ChooseMergedEncoding(Toolkit& ui, AppState& state) {
  state.merge.mergeTo = ChosenEncoding(ui, names::kMergedEncodingList);
}

}  // namespace morvane
