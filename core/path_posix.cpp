// SPDX-License-Identifier: MIT
// File names on POSIX: exact bytes, UTF-8 suffixes, display decoding.

#include <cstdio>
#include <optional>
#include <string>

#include "core/gbk.h"
#include "core/path.h"

namespace morvane {
namespace {

void AppendEscapedByte(std::string& out, unsigned char byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += "\\x";
  out.push_back(kHex[byte >> 4]);
  out.push_back(kHex[byte & 0xF]);
}

bool IsUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t c = 0;
    const std::size_t length = Utf8SequenceAt(bytes.substr(i), &c);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

// The GBK decoding of bytes as UTF-8, or nothing when some byte is no GBK character.
std::optional<std::string> Utf8FromWholeGbk(std::string_view bytes) {
  const std::u16string units = DecodeGbk(bytes);
  for (char16_t unit : units) {
    if (IsByteStandIn(unit)) return std::nullopt;
  }
  return Utf8FromGbk(bytes);
}

// Whether GBK holds the character: EncodeGbk writes "?" for any it lacks.
bool GbkHolds(char32_t c) {
  if (c < 0x80) return true;
  if (c >= 0x10000) return false;
  const char16_t unit = static_cast<char16_t>(c);
  return !IsByteStandIn(unit) && EncodeGbk(std::u16string_view(&unit, 1)) != "?";
}

}  // namespace

Path PathFromUtf8(std::string_view utf8) {
  return Path(std::string(utf8));
}

Path JoinPath(const Path& folder, const Path& name) {
  if (folder.native() == std::string(1, kPathSeparator))
    return Path(folder.native() + name.native());
  return Path(folder.native() + kPathSeparator + name.native());
}

Path WithSuffix(const Path& name, std::string_view utf8Suffix) {
  return Path(name.native() + std::string(utf8Suffix));
}

Path Joined(const Path& first, const Path& second) {
  return Path(first.native() + second.native());
}

Path NameFromText(std::u16string_view text) {
  std::string name;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if ((c >= 0xD800 && c <= 0xDFFF) || IsByteStandIn(static_cast<char16_t>(c)) || c == 0) {
      c = U'_';
    }
    AppendUtf8(name, c);
  }
  return Path(std::move(name));
}

Path FolderPart(const Path& path) {
  const std::size_t slash = path.native().rfind(kPathSeparator);
  if (slash == std::string::npos) return Path(".");
  return Path(path.native().substr(0, slash == 0 ? 1 : slash));
}

Path StemOf(const Path& path) {
  const std::string& bytes = path.native();
  const std::size_t slash = bytes.rfind(kPathSeparator);
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = bytes.rfind('.');
  if (dot == std::string::npos || dot < start) return Path();
  return Path(bytes.substr(start, dot - start));
}

bool IsDeviceName(const Path&) {
  return false;
}

bool HasSeparator(const Path& name) {
  return name.native().find('/') != std::string::npos;
}

std::string DisplayName(const Path& path) {
  const std::string& bytes = path.native();
  if (IsUtf8(bytes)) return bytes;
  if (auto decoded = Utf8FromWholeGbk(bytes)) return *decoded;
  std::string shown;
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t c = 0;
    const std::size_t length = Utf8SequenceAt(std::string_view(bytes).substr(i), &c);
    if (length == 0) {
      AppendEscapedByte(shown, static_cast<unsigned char>(bytes[i]));
      ++i;
    } else {
      shown.append(bytes, i, length);
      i += length;
    }
  }
  return shown;
}

ByteText DisplayNameGbk(const Path& path) {
  const std::string shown = DisplayName(path);
  std::string held;
  for (std::size_t i = 0; i < shown.size();) {
    char32_t c = 0;
    const std::size_t length = Utf8SequenceAt(std::string_view(shown).substr(i), &c);
    if (length == 0) {  // cannot happen: DisplayName gives UTF-8
      ++i;
      continue;
    }
    if (GbkHolds(c)) {
      held.append(shown, i, length);
    } else {
      char escape[16];
      std::snprintf(escape, sizeof escape, "\\u{%X}", static_cast<unsigned>(c));
      held += escape;
    }
    i += length;
  }
  return GbkFromUtf8(held);
}

TypedName PathFromTyped(const ByteText& gbk) {
  TypedName typed;
  const std::u16string units = DecodeGbk(gbk.view());
  for (char16_t unit : units) {
    if (IsByteStandIn(unit)) AppendEscapedByte(typed.unrepresentable, unit & 0xFF);
  }
  if (typed.ok()) typed.path = Path(Utf8FromGbk(gbk.view()));
  return typed;
}

}  // namespace morvane
