// SPDX-License-Identifier: MIT
#pragma once
// The texts of the Win32 layer: GBK and UTF-8 to the UTF-16 of the Win32 API and back, a
// window's text, a row's colour as a COLORREF, and the plain text a read-only box shows
// for a local HTML page.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "core/byte_text.h"
#include "core/encoding.h"

namespace morvane::ui {

std::wstring Wide(const ByteText& gbk);
// The bytes of an edit box in its encoding, and back: a byte that is no character comes
// back as itself.
std::wstring WideIn(Encoding encoding, const ByteText& bytes);
ByteText BytesIn(Encoding encoding, std::wstring_view wide);
ByteText Gbk(std::wstring_view wide);
// A caption literal of a window description (UTF-8), through GBK as every caption is.
std::wstring WideFromUtf8Literal(std::string_view utf8);
// Text that need not pass through GBK (a check list's cells, messages).
std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

std::wstring WindowText(HWND window);
COLORREF Colour(std::uint32_t rgb);

// The text of a local HTML page as a read-only box shows it: tags out, line breaks for
// paragraphs, headings and <br>, the common entities decoded.
std::wstring PlainTextOfPage(std::wstring_view html);

}  // namespace morvane::ui
