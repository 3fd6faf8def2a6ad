// SPDX-License-Identifier: MIT
#pragma once
// The chapter-cut handlers; the search and the writing are engine/chapter_cutting.h.

#include "core/toolkit.h"
#include "presenters/state.h"

namespace morvane {

// The search stores chapterStarts and sets chapterSearchDone; the cut refuses without it and
// writes the files of normalText. When the chapter map was confirmed since the search
// (state.chapterPlan), the cut writes the files it shows. Both stay after a cut, for a book
// or another cut; opening another file on the cut page (size_cutting.h) or cleaning its text
// clears them, so a cut never applies the headings of one text to another.
void ChapterSearch(Toolkit& ui, AppState& state);
void ChapterCut(Toolkit& ui, AppState& state);

}  // namespace morvane
