// SPDX-License-Identifier: MIT
#include "app/wiring.h"

#include "app/main_window.h"
#include "presenters/batch_books.h"
#include "presenters/chapter_cutting.h"
#include "presenters/chapter_map.h"
#include "presenters/control_names.h"
#include "presenters/desktop_events.h"
#include "presenters/encoding_choice.h"
#include "presenters/epub_making.h"
#include "presenters/line_cleaning.h"
#include "presenters/merging.h"
#include "presenters/size_cutting.h"
#include "presenters/whitespace_cleaning.h"

namespace morvane::app {

namespace n = names;

void BindEvents(Toolkit& ui, AppState& state) {
  using enum Event;
  Toolkit* t = &ui;
  AppState* s = &state;
  // A handler with the toolkit and the state, bound to one control's event.
  const auto bind = [t, s](EventSource control, Event event, void (*handler)(Toolkit&, AppState&)) {
    t->Bind(control, event, [t, s, handler] { handler(*t, *s); });
  };
  const auto bindView = [t](EventSource control, Event event, void (*handler)(Toolkit&)) {
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

  const auto openOnDrop = [t, s](TabPage page, FileDialog dialog,
                                 void (*open)(Toolkit&, AppState&)) {
    t->Bind(page, kDropped, [t, s, page, dialog, open] {
      OpenOnPage(*t, *s, dialog, open, t->DroppedPaths(page));
    });
  };
  openOnDrop(n::kCutPage, n::kNormalDialog, OpenForNormalCut);
  openOnDrop(n::kSimpleCutPage, n::kSimpleDialog, OpenForSimpleCut);
  ui.Bind(n::kMergePage, kDropped,
          [t, s] { FillMergeRows(*t, *s, t->DroppedPaths(n::kMergePage)); });
  bind(n::kSaveLocationBox, kDropped, SaveIntoDroppedFolder);
  BindChapterMap(ui, state);
  BindEpubWindow(ui, state);
  BindCleanWindow(ui, state);
  BindBatchWindow(ui, state);

  bindView(n::kSaveLocationWindow, kCreated, ShowDriveFolders);
  bindView(n::kDriveList, kDriveChanged, ShowDriveFolders);
  bind(n::kFolderTree, kFolderChanged, OnFolderOpened);
}

}  // namespace morvane::app
