// SPDX-License-Identifier: MIT
#pragma once
// The size-cut handlers: the simple cut (bytes per piece, text shown in the box) and the
// normal cut (K per piece, text held in memory), their open handlers and live displays. The
// pieces themselves are cut and written by engine/size_cutting.h.

#include "core/byte_text.h"
#include "core/encoding.h"
#include "core/toolkit.h"
#include "presenters/file_choosing.h"
#include "presenters/state.h"

namespace morvane {

// Bytes box and text container changed: simplePieceBytes, simpleTextBytes, 标签1, 标签4.
void ShowSimpleCutCount(Toolkit& ui, AppState& state);
// Cut-size box changed: normalPieceBytes.
void UpdateNormalPieceSize(Toolkit& ui, AppState& state);
// Open buttons. A file that cannot be read is named in a message and changes nothing; a
// text that ends before the end of its file is loaded, and the user is told what was
// left out.
void OpenForSimpleCut(Toolkit& ui, AppState& state);
void OpenForNormalCut(Toolkit& ui, AppState& state);
// A file's text into the simple-cut box, in the file's encoding: simplePath,
// simpleEncoding, the box's encoding and its text, the encoding list.
void LoadSimpleText(Toolkit& ui, AppState& state, const ChosenFile& file);
// A file's text for the cut page: normalPath, normalEncoding, normalText and 标签7 (through
// ShowNormalCutSize), the encoding list; the headings of a search before are dropped.
void LoadNormalText(Toolkit& ui, AppState& state, const ChosenFile& file);
// The opened file's text: normalTextBytes, 标签7, normalText, normalPieceBytes.
void ShowNormalCutSize(Toolkit& ui, AppState& state, const ByteText& text);
// Cut buttons. A piece size below 1 byte is refused before anything is written.
void SimpleCut(Toolkit& ui, AppState& state);
void NormalCut(Toolkit& ui, AppState& state);
// Cuts text into PieceCount(size, pieceBytes) numbered files after checking that all of
// them can be written and that none replaces source (the file the text came from), then
// reports the outcome. pieceBytes is at least 1.
void CutIntoPieces(Toolkit& ui, AppState& state, const ByteText& text, int size, int pieceBytes,
                   const Path& source, const Detected& encoding = {});

}  // namespace morvane
