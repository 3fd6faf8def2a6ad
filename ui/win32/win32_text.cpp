// SPDX-License-Identifier: MIT
#include "ui/win32/win32_text.h"

#include <algorithm>
#include <cwctype>
#include <utility>

#include "core/gbk.h"

namespace morvane::ui {

std::wstring Wide(const ByteText& gbk) {
  const std::u16string units = DecodeGbk(gbk.view());
  return std::wstring(units.begin(), units.end());
}

std::wstring WideIn(Encoding encoding, const ByteText& bytes) {
  if (encoding == Encoding::kGbk) return Wide(bytes);
  const std::u16string units = Decode(encoding, bytes.view()).text;
  return std::wstring(units.begin(), units.end());
}

std::wstring WideFromUtf8Literal(std::string_view utf8) {
  return Wide(GbkFromUtf8(utf8));
}

std::wstring WideFromUtf8(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

std::string Utf8FromWide(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(std::max(length, 0)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length,
                      nullptr, nullptr);
  return utf8;
}

ByteText Gbk(std::wstring_view wide) {
  return ByteText(EncodeGbk(std::u16string(wide.begin(), wide.end())));
}

ByteText BytesIn(Encoding encoding, std::wstring_view wide) {
  if (encoding == Encoding::kGbk) return Gbk(wide);
  return ByteText(EncodeShown(encoding, std::u16string(wide.begin(), wide.end())));
}

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(got, 0)));
  return text;
}

COLORREF Colour(std::uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

std::wstring PlainTextOfPage(std::wstring_view html) {
  std::wstring out;
  for (std::size_t i = 0; i < html.size();) {
    if (html[i] == L'<') {
      const std::size_t end = html.find(L'>', i);
      if (end == std::wstring_view::npos) break;
      std::wstring tag(html.substr(i + 1, end - i - 1));
      for (wchar_t& c : tag) c = static_cast<wchar_t>(towlower(c));
      const bool breaks = tag.starts_with(L"br") || tag.starts_with(L"/p") ||
                          tag.starts_with(L"/h") || tag.starts_with(L"/div");
      if (breaks && !out.ends_with(L"\r\n\r\n")) out += L"\r\n";
      i = end + 1;
      continue;
    }
    if (html[i] == L'&') {
      static const std::pair<std::wstring_view, wchar_t> kEntities[] = {
          {L"&amp;", L'&'}, {L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&nbsp;", L' '}, {L"&quot;", L'"'}};
      bool decoded = false;
      for (const auto& [entity, c] : kEntities) {
        if (html.substr(i).starts_with(entity)) {
          out.push_back(c);
          i += entity.size();
          decoded = true;
          break;
        }
      }
      if (decoded) continue;
    }
    out.push_back(html[i++]);
  }
  return out;
}

}  // namespace morvane::ui
