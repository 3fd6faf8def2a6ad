#pragma once
// The command line's two channels: bytes to standard output, messages to standard
// error. The engine's messages are GBK; the terminal gets them as UTF-8 with plain line
// feeds.

#include <string_view>

#include "core/byte_text.h"

namespace morvane::cli {

// "morvane-cli: " and the message on standard error.
void PrintMessage(const ByteText& gbkMessage);
// The same for a message that is already UTF-8 (the parser's own).
void PrintMessageUtf8(std::string_view message);

// Writes all bytes to standard output; false (and a message) when that failed.
bool WriteStdout(std::string_view bytes);

}  // namespace morvane::cli
