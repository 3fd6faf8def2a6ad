// SPDX-License-Identifier: MIT
#pragma once
// How the controls are drawn: the program-wide control look (frame colours 1 to 3), the
// flat beige owner-drawn buttons, and the per-control colours of a description row.

#include <QString>

#include "ui/control_row.h"

namespace morvane::ui {

// The application style sheet for a control style; empty for "off" (any style but 1..3).
QString ControlStyleSheet(int style);
// The owner-drawn buttons' own sheet; a widget's sheet wins over the program-wide one.
QString OwnerDrawnButtonSheet();
// Text and background colours of a row, as a widget sheet; empty when it has none.
QString ColourSheet(const char* selector, const Look& look);

}  // namespace morvane::ui
