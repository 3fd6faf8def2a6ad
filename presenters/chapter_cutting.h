// SPDX-License-Identifier: MIT
#pragma once
// The chapter-cut handlers; the search and the writing are engine/chapter_cutting.h.

#include "core/toolkit.h"
#include "presenters/state.h"

namespace morvane {

// The search stores chapterStarts and sets chapterSearchDone; the cut refuses without it,
// writes the files of normalText and clears it. When the chapter map was confirmed since the
// search (state.chapterPlan), the cut writes the files it shows. Opening another file on the
// cut page clears it too (size_cutting.h), so a cut never applies the headings of one text to
// another.
void ChapterSearch(Toolkit& ui, AppState& state);
void ChapterCut(Toolkit& ui, AppState& state);

}  // namespace morvane
