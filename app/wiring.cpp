#include "app/wiring.h"

#include <algorithm>
#include <vector>

#include "app/chapter_map_opening.h"
#include "app/main_window.h"
#include "engine/banner.h"
#include "engine/chapter_cutting.h"
#include "engine/merging.h"
#include "engine/size_cutting.h"
#include "engine/whitespace_cleaning.h"
#include "presenters/chapter_cutting.h"
#include "presenters/control_names.h"
#include "presenters/encoding_choice.h"
#include "presenters/merging.h"
#include "presenters/size_cutting.h"
#include "presenters/whitespace_cleaning.h"

namespace morvane::app {

namespace n = names;

void OnMainWindowCreated(Toolkit& ui, AppState& state) {
  ui.SetControlStyle(1);
  ShowSimpleCutCount(ui, state);
  state.chapterSearchDone = 0;
  state.bannerText = BannerConstant();
}

void OnSaveLocationClicked(Toolkit& ui) {
  ui.LoadWindow(n::kSaveLocationWindow, n::kMainWindow, true);
}

void ClearSimpleText(Toolkit& ui) {
  ui.SetText(n::kSimpleText, ByteText());
  ui.SetText(n::kSimpleSizeLabel, ByteText("0\xD7\xD6\xBD\xDA"));  // "0字节"
}

void ShowCutButtons(Toolkit& ui, bool chapters) {
  ui.SetChecked(chapters ? n::kNormalRadio : n::kChapterRadio, false);
  ui.SetVisible(n::kNormalCutButton, !chapters);
  ui.SetVisible(n::kChapterSearchButton, chapters);
  ui.SetVisible(n::kChapterCutButton, chapters);
  ui.SetVisible(n::kChapterMapButton, chapters);
}

void ShowNormalCutButtons(Toolkit& ui) {
  ShowCutButtons(ui, false);
}

void ShowChapterCutButtons(Toolkit& ui) {
  ShowCutButtons(ui, true);
}

// The drive list's value is the drive's root folder, so the tree starts there.
void ShowDriveFolders(Toolkit& ui) {
  ui.SetPath(n::kFolderTree, ui.PathIn(n::kDriveList).value_or(Path()));
}

void OnFolderOpened(Toolkit& ui, AppState& state) {
  state.cut.saveFolder = ui.PathIn(n::kFolderTree).value_or(Path());
  ui.SetPath(n::kSaveLocationBox, state.cut.saveFolder);
}

void OpenOnPage(Toolkit& ui, AppState& state, std::string_view dialog,
                void (*open)(Toolkit&, AppState&), const std::vector<Path>& paths) {
  if (paths.empty()) return;
  ui.ChooseWithoutDialog(dialog, paths.front());
  open(ui, state);
}

void FillMergeRows(Toolkit& ui, AppState& state, const std::vector<Path>& paths) {
  const int count = static_cast<int>(std::min<std::size_t>(paths.size(), 5));
  if (count >= 2) {
    ui.SetText(n::kMergeCountList, ByteText(std::to_string(count)));
    SelectMergeCount(ui, state);
  }
  for (int row = 1; row <= count; ++row) {
    ui.ChooseWithoutDialog(n::kMergeDialog, paths[static_cast<std::size_t>(row - 1)]);
    OpenMergeFile(ui, state, row);
  }
}

void SaveIntoDroppedFolder(Toolkit& ui, AppState& state) {
  const std::vector<Path> paths = ui.DroppedPaths(n::kSaveLocationBox);
  if (paths.empty()) return;
  state.cut.saveFolder = paths.front();
  ui.SetPath(n::kSaveLocationBox, state.cut.saveFolder);
}

void BindEvents(Toolkit& ui, AppState& state) {
  using enum Event;
  Toolkit* t = &ui;
  AppState* s = &state;
  // A handler with the toolkit and the state, bound to one control's event.
  const auto bind = [t, s](std::string_view control, Event event,
                           void (*handler)(Toolkit&, AppState&)) {
    t->Bind(control, event, [t, s, handler] { handler(*t, *s); });
  };
  const auto bindView = [t](std::string_view control, Event event, void (*handler)(Toolkit&)) {
    t->Bind(control, event, [t, handler] { handler(*t); });
  };

  bind(n::kMainWindow, kCreated, OnMainWindowCreated);
  bindView(n::kSaveLocationButton, kClicked, OnSaveLocationClicked);
  bind(n::kSimpleText, kContentChanged, ShowSimpleCutCount);
  bind(n::kSimplePieceBytesBox, kContentChanged, ShowSimpleCutCount);
  bind(n::kSimpleOpenButton, kClicked, OpenForSimpleCut);
  bind(n::kRemoveSpacesButton, kClicked, RemoveSpaces);
  bind(n::kRemoveLineBreaksButton, kClicked, RemoveLineBreaks);
  bind(n::kRemoveTabsButton, kClicked, RemoveTabs);
  bind(n::kSimpleCutButton, kClicked, SimpleCut);
  bindView(n::kSimpleClearButton, kClicked, ClearSimpleText);
  bind(n::kNormalOpenButton, kClicked, OpenForNormalCut);
  bind(n::kCutSizeBox, kContentChanged, UpdateNormalPieceSize);
  bindView(n::kNormalRadio, kClicked, ShowNormalCutButtons);
  bindView(n::kChapterRadio, kClicked, ShowChapterCutButtons);
  bind(n::kNormalCutButton, kClicked, NormalCut);
  bind(n::kChapterSearchButton, kClicked, ChapterSearch);
  bind(n::kChapterCutButton, kClicked, ChapterCut);
  bind(n::kChapterMapButton, kClicked, OpenChapterMap);
  bind(n::kMergeCountList, kItemSelected, SelectMergeCount);
  for (int row = 1; row <= 5; ++row) {
    ui.Bind(n::kMergeOpenButton[row], kClicked, [t, s, row] { OpenMergeFile(*t, *s, row); });
  }
  bind(n::kMergeButton, kClicked, MergeFiles);
  bind(n::kNormalEncodingList, kItemSelected, ChooseNormalEncoding);
  bind(n::kSimpleEncodingList, kItemSelected, ChooseSimpleEncoding);
  for (int row = 1; row <= 5; ++row) {
    ui.Bind(n::kMergeEncodingList[row], kItemSelected,
            [t, s, row] { ChooseMergeEncoding(*t, *s, row); });
  }
  bind(n::kMergedEncodingList, kItemSelected, ChooseMergedEncoding);

  const auto openOnDrop = [t, s](std::string_view page, std::string_view dialog,
                                 void (*open)(Toolkit&, AppState&)) {
    t->Bind(page, kDropped, [t, s, page, dialog, open] {
      OpenOnPage(*t, *s, dialog, open, t->DroppedPaths(page));
    });
  };
  openOnDrop(kCutPage, n::kNormalDialog, OpenForNormalCut);
  openOnDrop(kSimpleCutPage, n::kSimpleDialog, OpenForSimpleCut);
  ui.Bind(kMergePage, kDropped, [t, s] { FillMergeRows(*t, *s, t->DroppedPaths(kMergePage)); });
  bind(n::kSaveLocationBox, kDropped, SaveIntoDroppedFolder);
  BindChapterMap(ui, state);

  bindView(n::kSaveLocationWindow, kCreated, ShowDriveFolders);
  bindView(n::kDriveList, kDriveChanged, ShowDriveFolders);
  bind(n::kFolderTree, kFolderChanged, OnFolderOpened);
}

}  // namespace morvane::app
