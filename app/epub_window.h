// SPDX-License-Identifier: MIT
#pragma once
// The EPUB window: before a book is made of the chapter map, the user sees and may
// change its title and author and choose a cover; 生成 writes it into the save folder.
//
// Its description, one row per control (the names of its controls are the presenters').

#include <span>

#include "ui/control_row.h"

namespace morvane::app {

ui::WindowDescription EpubWindowDescription();
std::span<const ui::ControlRow> EpubWindowControls();

}  // namespace morvane::app
