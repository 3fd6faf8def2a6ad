#pragma once
// Size cutting: the simple cut (bytes per piece, text shown in the box) and the normal
// cut (K per piece, text held in memory), their open handlers and live displays.

#include "core/toolkit.h"
#include "engine/state.h"

namespace morvane {

void ShowSimpleCutCount(Toolkit& ui, AppState& state);
void UpdateNormalPieceSize(Toolkit& ui, AppState& state);
void OpenForSimpleCut(Toolkit& ui, AppState& state);
void OpenForNormalCut(Toolkit& ui, AppState& state);
void ShowNormalCutSize(Toolkit& ui, AppState& state, const ByteText& text);
void SimpleCut(Toolkit& ui, AppState& state);
void NormalCut(Toolkit& ui, AppState& state);

}  // namespace morvane
