// SPDX-License-Identifier: MIT
// File names on Windows: UTF-16 as the W functions take them, "\" between folder and
// name, drive roots such as "C:\".

#include <windows.h>

#include <cstdio>
#include <cwctype>
#include <string>
#include <vector>

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

namespace {

constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
constexpr std::wstring_view kLongSharePrefix = L"\\\\?\\UNC\\";

std::wstring CurrentFolder() {
  std::wstring folder(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
    if (n == 0) return {};
    if (n < folder.size()) {
      folder.resize(n);
      break;
    }
    folder.resize(n);
  }
  // The current folder in the long form is brought back to the plain one, to be read below.
  if (folder.starts_with(kLongSharePrefix)) return L"\\\\" + folder.substr(kLongSharePrefix.size());
  if (folder.starts_with(kLongPrefix)) return folder.substr(kLongPrefix.size());
  return folder;
}

// The current folder of drive ("C:"): each drive keeps one of its own.
std::wstring CurrentFolderOf(std::wstring_view drive) {
  const std::wstring current = CurrentFolder();
  if (!current.empty() && std::towupper(drive[0]) == std::towupper(current[0])) return current;
  const std::wstring name(drive);
  wchar_t buffer[MAX_PATH];
  const DWORD n = GetFullPathNameW(name.c_str(), MAX_PATH, buffer, nullptr);
  return n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : name + L'\\';
}

}  // namespace

std::wstring SystemPath(const Path& path) {
  std::wstring p = path.native();
  if (p.empty() || p.starts_with(kLongPrefix) || p.starts_with(L"\\\\.\\")) return p;
  for (wchar_t& c : p) {
    if (c == L'/') c = L'\\';
  }
  std::wstring root;
  std::size_t rest = 0;
  if (p.starts_with(L"\\\\")) {
    // \\server\share: the share is the root, ".." never climbs above it.
    const std::size_t server = p.find(L'\\', 2);
    const std::size_t share = server == std::wstring::npos ? server : p.find(L'\\', server + 1);
    root = std::wstring(kLongSharePrefix) +
           p.substr(2, share == std::wstring::npos ? share : share - 2);
    rest = share == std::wstring::npos ? p.size() : share;
  } else if (p.size() >= 2 && p[1] == L':' && (p.size() == 2 || p[2] == L'\\')) {
    // "C:" alone is the drive's root here, as JoinPath takes it (the folder tree's value).
    root = std::wstring(kLongPrefix) + p.substr(0, 2);
    rest = 2;
  } else if (CurrentFolder().empty()) {
    return p;  // a relative path with no folder to resolve it in: as the plain form
  } else if (p.size() >= 2 && p[1] == L':') {
    return SystemPath(
        JoinPath(Path(CurrentFolderOf(std::wstring_view(p).substr(0, 2))), Path(p.substr(2))));
  } else if (p[0] == L'\\') {
    // From the root of the current folder's drive or share.
    const std::wstring current = CurrentFolder();
    const std::wstring currentRoot = SystemPath(Path(current));
    const std::size_t end = currentRoot.starts_with(kLongSharePrefix)
                                ? currentRoot.find(L'\\', currentRoot.find(L'\\', 8) + 1)
                                : kLongPrefix.size() + 2;
    root = currentRoot.substr(0, end);
    rest = 0;
  } else {
    return SystemPath(JoinPath(Path(CurrentFolder()), Path(p)));
  }
  // The names are resolved here as the plain form would, except that each is kept as spelt.
  std::vector<std::wstring_view> names;
  const std::wstring_view tail = std::wstring_view(p).substr(rest);
  for (std::size_t start = 0; start <= tail.size();) {
    std::size_t end = tail.find(L'\\', start);
    if (end == std::wstring_view::npos) end = tail.size();
    const std::wstring_view name = tail.substr(start, end - start);
    if (name == L"..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != L".") {
      names.push_back(name);
    }
    start = end + 1;
  }
  std::wstring full = root;
  for (std::wstring_view name : names) {
    full += L'\\';
    full += name;
  }
  if (names.empty()) full += L'\\';
  return full;
}

bool IsDeviceName(const Path& name) {
  const std::wstring& n = name.native();
  const std::size_t slash = n.find_last_of(L"\\/");
  std::wstring_view part = std::wstring_view(n).substr(slash == std::wstring::npos ? 0 : slash + 1);
  part = part.substr(0, part.find(L'.'));
  while (!part.empty() && part.back() == L' ') part.remove_suffix(1);
  std::wstring upper;
  for (wchar_t c : part) upper.push_back(c < 0x80 ? static_cast<wchar_t>(std::towupper(c)) : c);
  if (upper == L"CON" || upper == L"PRN" || upper == L"AUX" || upper == L"NUL") return true;
  return upper.size() == 4 && (upper.starts_with(L"COM") || upper.starts_with(L"LPT")) &&
         upper[3] >= L'1' && upper[3] <= L'9';
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
