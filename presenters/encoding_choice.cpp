// SPDX-License-Identifier: MIT
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

// The open file of a list read again in the encoding the list now asks for, which then
// becomes setting. Nothing when no file is open (the choice waits for the next one), when
// mayReadAgain says no, or when the file could not be read again: the list then shows the
// choice the text was read with, which is still the one in use.
std::optional<ChosenFile> ReadInChosen(Toolkit& ui, DropDown list, const Path& path,
                                       std::optional<Encoding>& setting,
                                       const std::function<bool()>& mayReadAgain = {}) {
  const auto chosen = ChosenEncoding(ui, list);
  if (path.empty()) {
    setting = chosen;
    return std::nullopt;
  }
  if (mayReadAgain && !mayReadAgain()) {
    SelectEncoding(ui, list, setting);
    return std::nullopt;
  }
  auto file = ReadChosenFile(ui, path, chosen);
  if (!file) {
    SelectEncoding(ui, list, setting);
    return std::nullopt;
  }
  setting = chosen;
  return file;
}

}  // namespace

std::optional<Encoding> ChosenEncoding(const Toolkit& ui, DropDown list) {
  const int index = ui.SelectedIndex(list);
  if (index < 1 || index > static_cast<int>(std::size(kEncodings))) return std::nullopt;
  return kEncodings[index - 1];
}

void SelectEncoding(Toolkit& ui, DropDown list, std::optional<Encoding> chosen) {
  int index = 0;
  for (std::size_t i = 0; chosen && i < std::size(kEncodings); ++i) {
    if (kEncodings[i] == *chosen) index = static_cast<int>(i) + 1;
  }
  ui.SetText(list, ui.ComboItemText(list, index));
}

void ShowDetected(Toolkit& ui, DropDown list, std::optional<Encoding> detected) {
  std::string item = "自动";
  if (detected) {
    item += '(';
    item += EncodingLabel(*detected);
    item += ')';
  }
  ui.SetComboItemText(list, 0, GbkFromUtf8(item));
}

void ShowReadEncoding(Toolkit& ui, DropDown list, std::optional<Encoding> chosen,
                      const Detected& read) {
  ShowDetected(ui, list, chosen ? std::nullopt : std::optional(read.encoding));
}

std::optional<Encoding> EncodingForNextFile(const Path& open, std::optional<Encoding> chosen) {
  // A choice made for an open file was for that file: a Big5 file read as GBK before
  // says nothing about the UTF-8 file opened after it.
  return open.empty() ? chosen : std::nullopt;
}

void KeepChoice(Toolkit& ui, DropDown list, std::optional<Encoding>& chosen,
                std::optional<Encoding> used) {
  chosen = used;
  SelectEncoding(ui, list, used);
}

void ChooseNormalEncoding(Toolkit& ui, AppState& state) {
  CutSettings& cut = state.cut;
  const auto file = ReadInChosen(ui, names::kNormalEncodingList, cut.normalPath, cut.normalChosen);
  if (!file) return;
  LoadNormalText(ui, state, *file);
  WarnIfEndedEarly(ui, *file);
}

void ChooseSimpleEncoding(Toolkit& ui, AppState& state) {
  CutSettings& cut = state.cut;
  const auto file =
      ReadInChosen(ui, names::kSimpleEncodingList, cut.simplePath, cut.simpleChosen, [&] {
        const ByteText shown = ui.Text(names::kSimpleText);
        return shown.empty() || std::hash<std::string_view>{}(shown.view()) == cut.simpleReadHash ||
               ui.ShowMessageBox(messages::ReadAgainDropsEdits(), kYesNo,
                                 messages::HintCaption()) == kAnswerYes;
      });
  if (!file) return;
  LoadSimpleText(ui, state, *file);
  WarnIfEndedEarly(ui, *file);
}

void ChooseMergeEncoding(Toolkit& ui, AppState& state, int row) {
  MergeSettings& merge = state.merge;
  const auto file = ReadInChosen(ui, names::kMergeEncodingList[row], merge.mergePath[row],
                                 merge.mergeChosen[row]);
  if (!file) return;
  LoadMergeText(ui, state, row, *file);
  WarnIfEndedEarly(ui, *file);
}

void ChooseMergedEncoding(Toolkit& ui, AppState& state) {
  state.merge.mergeTo = ChosenEncoding(ui, names::kMergedEncodingList);
}

}  // namespace morvane
