// SPDX-License-Identifier: MIT
#pragma once
// The encoding lists of the desktop pages: the cut page, the simple-cut page and each merge
// row show the encoding of their file and let the user choose another.
//
// Item 0 is 自动 (detection); while it is chosen and a file is open it names what was
// detected, as "自动(UTF-8)". Items 1.. are the encodings of kEncodings by their labels. A
// file is read in the chosen encoding when it is opened, and choosing another item reads
// the open file again in it; every later operation uses the text read then. A choice is
// for one file: with no file open it waits for the next one; made for an open file, it
// ends with that file, and the next file opened is detected again. The merged file's list
// offers the first file's encoding (item 0) or one of the encodings.

#include <optional>
#include <string_view>

#include "core/encoding.h"
#include "core/toolkit.h"
#include "presenters/state.h"

namespace morvane {

// The encoding a list's selection asks for: none for item 0.
std::optional<Encoding> ChosenEncoding(const Toolkit& ui, DropDown list);
// Selects the item of chosen (item 0 for none).
void SelectEncoding(Toolkit& ui, DropDown list, std::optional<Encoding> chosen);
// Item 0's text: "自动(GBK)" for a detected encoding, "自动" for none.
void ShowDetected(Toolkit& ui, DropDown list, std::optional<Encoding> detected);
// After a file was read for a list whose choice is chosen: names what detection found.
void ShowReadEncoding(Toolkit& ui, DropDown list, std::optional<Encoding> chosen,
                      const Detected& read);

// Before a file is opened for a list: the encoding to read it in, from the choice that
// stands and the file open now (empty for none).
std::optional<Encoding> EncodingForNextFile(const Path& open, std::optional<Encoding> chosen);
// Once it is open: the choice it was read with stands, and the list shows it.
void KeepChoice(Toolkit& ui, DropDown list, std::optional<Encoding>& chosen,
                std::optional<Encoding> used);

// Handlers of the lists' selections.
void ChooseNormalEncoding(Toolkit& ui, AppState& state);
// Asks before it drops changes made to the box's text since the file was read.
void ChooseSimpleEncoding(Toolkit& ui, AppState& state);
void ChooseMergeEncoding(Toolkit& ui, AppState& state, int row);
// Sets mergeTo.
void ChooseMergedEncoding(Toolkit& ui, AppState& state);

}  // namespace morvane
