// SPDX-License-Identifier: MIT
#pragma once
// The images of the folder tree (win32_folder_tree.cpp holds the tree itself): a closed
// and an opened folder, drawn once for the toolkit's trees.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

namespace morvane::ui {

HIMAGELIST MakeFolderImages();

}  // namespace morvane::ui
