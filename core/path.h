// SPDX-License-Identifier: MIT
#pragma once
// File names as the platform's file system spells them: the one seam where paths are
// made, joined, shown and typed.
//
// On POSIX a path is a byte string in the file system's encoding: UTF-8 in practice,
// arbitrary bytes in fact (a name unpacked from an archive made on Chinese Windows is
// raw GBK). A Path keeps the exact bytes it was given (command line, file dialog, folder
// tree) all the way into the system call; nothing on the way converts it.
//
//   what                          how
//   a path from the system        Path(bytes), never converted
//   an output name                prefix bytes + WithSuffix("-12.txt") (the suffix in UTF-8)
//   a name shown to the user      DisplayName: UTF-8 as is, else GBK if it decodes, else \xNN
//   a name typed in a box         PathFromTyped: GBK box text -> file system encoding,
//                                 refusing what that encoding cannot hold
//
// Windows would be one more file (path_windows.cpp) with UTF-16 as the native form.

#include <string>
#include <string_view>
#include <utility>

#include "core/byte_text.h"

namespace morvane {

// The separator between folder and file name in the paths the program builds.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
using PathChars = std::wstring;
#else
inline constexpr char kPathSeparator = '/';
using PathChars = std::string;
#endif

class Path {
 public:
  Path() = default;
  explicit Path(PathChars native) : native_(std::move(native)) {}

  // The exact form the system calls take.
  const PathChars& native() const { return native_; }
  const PathChars::value_type* c_str() const { return native_.c_str(); }
  bool empty() const { return native_.empty(); }

  friend bool operator==(const Path&, const Path&) = default;

 private:
  PathChars native_;
};

#ifdef _WIN32
// The path as the W functions are given it: absolute, in its \\?\ form (\\?\UNC\ for a
// share), "." and ".." resolved by name. The system then takes every name exactly as
// spelt, "z." and "in " included (the plain form would strip the dot and the blank and
// reach "z" and "in"), and paths beyond 260 characters. "C:" alone is the drive's root,
// as JoinPath takes it. A path already in that form (or a \\.\ device path) is left as
// it is.
std::wstring SystemPath(const Path& path);
#endif

// Whether the system takes name for a device rather than a file: on Windows when its part
// before the first dot, blanks at its end aside, is CON, PRN, AUX, NUL, COM1-9 or LPT1-9
// in any case ("nul.txt", "Con .x"). Never on POSIX, where those are ordinary names.
bool IsDeviceName(const Path& name);

// A path written in UTF-8 (a command-line argument, a source literal): on POSIX those
// very bytes, on Windows their UTF-16.
Path PathFromUtf8(std::string_view utf8);

// ---- composing names, in the file system's encoding ---------------------------------

// folder + separator + name; the root "/" joins as "/name", not "//name".
Path JoinPath(const Path& folder, const Path& name);
// name followed by a suffix given in UTF-8 ("-12.txt", "已合并.txt").
Path WithSuffix(const Path& name, std::string_view utf8Suffix);
// first followed by second, as they are.
Path Joined(const Path& first, const Path& second);
// A name made from text (a chapter title, say) in the file system's encoding; what the
// encoding cannot hold (a byte that stands for no character) becomes "_".
Path NameFromText(std::u16string_view text);
// The folder part: everything before the last separator ("/" for "/a", "." for "a").
Path FolderPart(const Path& path);
// The name between the last separator and the last dot: "/in/第一卷.part.txt" gives
// "第一卷.part"; a name without a dot gives the empty name, also when a folder name holds
// one ("/in.old/book"). A plain search for the separator and dot bytes: neither occurs
// inside a UTF-8 or a GBK double-byte character, so it suits names in either.
Path StemOf(const Path& path);
// Whether name holds a separator (and so would lead into another folder).
bool HasSeparator(const Path& name);

// ---- showing names ------------------------------------------------------------------

// The name as the user should read it, in UTF-8: a name that is valid UTF-8 as it
// stands; else, when the whole name decodes as GBK, that decoding; else the valid UTF-8
// runs with every other byte written as \xNN. Only for display: the bytes of the path
// stay what they are.
std::string DisplayName(const Path& path);
// DisplayName in GBK, for messages and boxes: characters GBK lacks become \u{XXXX}.
ByteText DisplayNameGbk(const Path& path);

// ---- typed names -------------------------------------------------------------------

struct TypedName {
  Path path;
  // The characters the file system encoding cannot hold, as shown (empty when none).
  std::string unrepresentable;
  bool ok() const { return unrepresentable.empty(); }
};
// A name typed into a box (GBK text) in the file system's encoding. A byte that stands
// in the box for no GBK character is no character at all and cannot be represented.
TypedName PathFromTyped(const ByteText& gbk);

}  // namespace morvane
