// SPDX-License-Identifier: MIT
#pragma once
// The command line's two channels: bytes to standard output, messages to standard
// error. Messages are UTF-8, as the engine makes them; the terminal gets them with plain
// line feeds.

#include <string_view>

#include "core/encoding.h"

namespace morvane::cli {

// "morvane-cli: " and the message on standard error.
void PrintMessage(std::string_view message);

// Writes all bytes to standard output; false (and a message) when that failed.
bool WriteStdout(std::string_view bytes);

// Writes a text in its own encoding: its bytes unchanged to a file or pipe, its characters
// to a console (which would read the bytes as UTF-8 and garble GBK); false (and a message)
// when that failed.
bool WriteStdoutText(std::string_view bytes, Encoding encoding);

}  // namespace morvane::cli
