// File names on Windows: UTF-16 as the W functions take them, "\" between folder and
// name, drive roots such as "C:\".

#include <cstdio>
#include <string>

#include "core/gbk.h"
#include "core/path.h"

namespace morvane {
namespace {

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

// Whether GBK holds the character: EncodeGbk writes "?" for any it lacks.
bool GbkHolds(char32_t c) {
  if (c < 0x80) return true;
  if (c >= 0x10000) return false;
  const char16_t unit = static_cast<char16_t>(c);
  return !IsByteStandIn(unit) && EncodeGbk(std::u16string_view(&unit, 1)) != "?";
}

// The code points of a UTF-16 name; a lone surrogate stands as itself.
template <typename Visit>
void ForEachCodePoint(std::wstring_view units, Visit visit) {
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = static_cast<char16_t>(units[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char16_t>(units[i + 1]) - 0xDC00);
      ++i;
    }
    visit(c);
  }
}

void AppendCodePointEscape(std::string& out, char32_t c) {
  char escape[16];
  std::snprintf(escape, sizeof escape, "\\u{%X}", static_cast<unsigned>(c));
  out += escape;
}

}  // namespace

namespace {

std::wstring WideFromUtf8(std::string_view utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c = 0;
    std::size_t length = Utf8SequenceAt(utf8.substr(i), &c);
    if (length == 0) {
      c = 0xFFFD;
      length = 1;
    }
    if (c >= 0x10000) {
      out.push_back(static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<wchar_t>(c));
    }
    i += length;
  }
  return out;
}

}  // namespace

Path PathFromUtf8(std::string_view utf8) {
  return Path(WideFromUtf8(utf8));
}

Path JoinPath(const Path& folder, const Path& name) {
  const std::wstring& f = folder.native();
  if (!f.empty() && IsSeparator(f.back())) return Path(f + name.native());
  return Path(f + L'\\' + name.native());
}

Path WithSuffix(const Path& name, std::string_view utf8Suffix) {
  return Path(name.native() + WideFromUtf8(utf8Suffix));
}

Path Joined(const Path& first, const Path& second) {
  return Path(first.native() + second.native());
}

Path NameFromText(std::u16string_view text) {
  std::wstring name;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                      text[i + 1] <= 0xDFFF;
    if (pair) {
      name.push_back(static_cast<wchar_t>(c));
      name.push_back(static_cast<wchar_t>(text[++i]));
    } else if ((c >= 0xD800 && c <= 0xDFFF) || IsByteStandIn(c) || c == 0) {
      name.push_back(L'_');
    } else {
      name.push_back(static_cast<wchar_t>(c));
    }
  }
  return Path(std::move(name));
}

Path FolderPart(const Path& path) {
  const std::wstring& p = path.native();
  const std::size_t slash = p.find_last_of(L"\\/");
  if (slash == std::wstring::npos) {
    // "C:name" lies in the current folder of drive C:.
    if (p.size() >= 2 && p[1] == L':') return Path(p.substr(0, 2));
    return Path(L".");
  }
  // The root keeps its separator: "C:\" and "\", not "C:" and "".
  const bool root = slash == 0 || (slash == 2 && p[1] == L':');
  return Path(p.substr(0, root ? slash + 1 : slash));
}

Path StemOf(const Path& path) {
  const std::wstring& p = path.native();
  const std::size_t slash = p.find_last_of(L"\\/");
  const std::size_t start = slash == std::wstring::npos ? 0 : slash + 1;
  const std::size_t dot = p.rfind(L'.');
  if (dot == std::wstring::npos || dot < start) return Path();
  return Path(p.substr(start, dot - start));
}

bool HasSeparator(const Path& name) {
  return name.native().find_first_of(L"\\/") != std::wstring::npos;
}

std::string DisplayName(const Path& path) {
  std::string shown;
  ForEachCodePoint(path.native(), [&](char32_t c) {
    if (c >= 0xD800 && c <= 0xDFFF) {
      AppendCodePointEscape(shown, c);  // a lone surrogate: the system allows it
    } else {
      AppendUtf8(shown, c);
    }
  });
  return shown;
}

ByteText DisplayNameGbk(const Path& path) {
  std::string held;
  ForEachCodePoint(path.native(), [&](char32_t c) {
    if ((c < 0xD800 || c > 0xDFFF) && GbkHolds(c)) {
      AppendUtf8(held, c);
    } else {
      AppendCodePointEscape(held, c);
    }
  });
  return GbkFromUtf8(held);
}

TypedName PathFromTyped(const ByteText& gbk) {
  TypedName typed;
  const std::u16string units = DecodeGbk(gbk.view());
  for (char16_t unit : units) {
    if (IsByteStandIn(unit)) {
      static constexpr char kHex[] = "0123456789ABCDEF";
      typed.unrepresentable += "\\x";
      typed.unrepresentable.push_back(kHex[(unit >> 4) & 0xF]);
      typed.unrepresentable.push_back(kHex[unit & 0xF]);
    }
  }
  if (typed.ok()) typed.path = Path(std::wstring(units.begin(), units.end()));
  return typed;
}

}  // namespace morvane
