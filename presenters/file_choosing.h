// SPDX-License-Identifier: MIT
#pragma once
// Choosing an input file through a dialog component and reading it whole, as the three
// open handlers (simple cut, normal cut, merge rows) do.

#include <optional>
#include <string_view>

#include "core/byte_text.h"
#include "core/files.h"
#include "core/toolkit.h"

namespace morvane {

struct ChosenFile {
  Path path;
  TextRead read;  // read.ok() always
};

// Above this size the simple-cut box asks before it takes a file's text.
inline constexpr std::int64_t kLargeSimpleText = 64LL << 20;

// Runs the dialog and reads the chosen file; a file larger than askAbove bytes (when not
// negative) is read only if the user says yes to LargeTextForSimpleCut. A large file is
// read as long work, which the user may stop. Nothing when the user cancelled, said no or
// stopped, or when the file could not be opened or read: the user has then been told
// which file and why, and the caller changes nothing.
// The file is read in encoding, when one is given, else in the one detected.
std::optional<ChosenFile> ChooseAndReadFile(Toolkit& ui, FileDialog dialog,
                                            std::int64_t askAbove = -1,
                                            std::optional<Encoding> encoding = std::nullopt);
// Reads a file chosen before (again, in another encoding, say) as ChooseAndReadFile does,
// without a dialog or a question.
std::optional<ChosenFile> ReadChosenFile(Toolkit& ui, const Path& path,
                                         std::optional<Encoding> encoding);

// Tells the user how many bytes of the file are not in its text, when the text ended at a
// 0x00 or 0x1A before the end of the file (as in a UTF-16 file). Silent otherwise.
void WarnIfEndedEarly(Toolkit& ui, const ChosenFile& file);

}  // namespace morvane
