// SPDX-License-Identifier: MIT
#include "presenters/desktop_events.h"

#include <algorithm>
#include <vector>

#include "engine/banner.h"
#include "presenters/control_names.h"
#include "presenters/merging.h"
#include "presenters/size_cutting.h"

namespace morvane {

void OnMainWindowCreated(Toolkit& ui, AppState& state) {
  ui.SetControlStyle(1);
  ShowSimpleCutCount(ui, state);
  state.chapterSearchDone = 0;
  state.bannerText = BannerConstant();
}

void OnSaveLocationClicked(Toolkit& ui) {
  ui.LoadWindow(names::kSaveLocationWindow, names::kMainWindow, true);
}

void ClearSimpleText(Toolkit& ui) {
  ui.SetText(names::kSimpleText, ByteText());
  ui.SetText(names::kSimpleSizeLabel, ByteText("0\xD7\xD6\xBD\xDA"));  // "0字节"
}

void ShowCutButtons(Toolkit& ui, bool chapters) {
  ui.SetChecked(chapters ? names::kNormalRadio : names::kChapterRadio, false);
  ui.SetVisible(names::kNormalCutButton, !chapters);
  ui.SetVisible(names::kChapterSearchButton, chapters);
  ui.SetVisible(names::kChapterCutButton, chapters);
  ui.SetVisible(names::kChapterMapButton, chapters);
  ui.SetVisible(names::kEpubButton, chapters);
}

void ShowNormalCutButtons(Toolkit& ui) {
  ShowCutButtons(ui, false);
}

void ShowChapterCutButtons(Toolkit& ui) {
  ShowCutButtons(ui, true);
}

// The drive list's value is the drive's root folder, so the tree starts there.
void ShowDriveFolders(Toolkit& ui) {
  ui.SetPath(names::kFolderTree, ui.PathIn(names::kDriveList).value_or(Path()));
}

void OnFolderOpened(Toolkit& ui, AppState& state) {
  state.cut.saveFolder = ui.PathIn(names::kFolderTree).value_or(Path());
  ui.SetPath(names::kSaveLocationBox, state.cut.saveFolder);
}

void OpenOnPage(Toolkit& ui, AppState& state, FileDialog dialog, void (*open)(Toolkit&, AppState&),
                const std::vector<Path>& paths) {
  if (paths.empty()) return;
  ui.ChooseWithoutDialog(dialog, paths.front());
  open(ui, state);
}

void FillMergeRows(Toolkit& ui, AppState& state, const std::vector<Path>& paths) {
  const int count = static_cast<int>(std::min<std::size_t>(paths.size(), 5));
  if (count >= 2) {
    ui.SetText(names::kMergeCountList, ByteText(std::to_string(count)));
    SelectMergeCount(ui, state);
  }
  for (int row = 1; row <= count; ++row) {
    ui.ChooseWithoutDialog(names::kMergeDialog, paths[static_cast<std::size_t>(row - 1)]);
    OpenMergeFile(ui, state, row);
  }
}

void OpenGivenFiles(Toolkit& ui, AppState& state, const std::vector<Path>& files) {
  if (files.size() == 1) {
    ui.ShowPage(names::kCutPage);
    OpenOnPage(ui, state, names::kNormalDialog, OpenForNormalCut, files);
  } else if (files.size() > 1) {
    ui.ShowPage(names::kMergePage);
    FillMergeRows(ui, state, files);
  }
}

void SaveIntoDroppedFolder(Toolkit& ui, AppState& state) {
  const std::vector<Path> paths = ui.DroppedPaths(names::kSaveLocationBox);
  if (paths.empty()) return;
  state.cut.saveFolder = paths.front();
  ui.SetPath(names::kSaveLocationBox, state.cut.saveFolder);
}

}  // namespace morvane
