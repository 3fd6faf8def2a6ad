#pragma once
// Whitespace cleaning of the simple-cut text: half-width spaces, CR LF pairs, tabs.
//
// Removal steps over double-byte characters, so only bytes that stand on a character
// boundary go; a full-width space (A1 A1) and a lone CR or LF stay. No other byte is
// ever removed, a lone last byte of 0x80 or above included.

#include "core/byte_text.h"
#include "core/toolkit.h"
#include "engine/state.h"

namespace morvane {

// The text without its half-width spaces (0x20).
ByteText WithoutSpaces(const ByteText& text);
// The text without its CR LF pairs.
ByteText WithoutLineBreaks(const ByteText& text);
// The text without its tabs (0x09).
ByteText WithoutTabs(const ByteText& text);

// Handlers: each cleans the text container, writes the result back (which refreshes the
// size and count labels) and confirms; an empty container is refused. A large text is
// cleaned as long work: when the user stops it, the container keeps its text and no
// message follows.
void RemoveSpaces(Toolkit& ui, AppState& state);
void RemoveLineBreaks(Toolkit& ui, AppState& state);
// Rewrites the container only when one of its first simpleTextBytes bytes is a tab.
void RemoveTabs(Toolkit& ui, AppState& state);

}  // namespace morvane
