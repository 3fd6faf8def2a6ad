// SPDX-License-Identifier: MIT
#pragma once
// Small helpers for tests that read and write real files: a scratch folder removed at
// the end, whole-file reads and writes, and GBK texts written as UTF-8 literals.

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/byte_text.h"
#include "core/path.h"

namespace morvane {
// Shows a text in test failures as its bytes, escaped.
void PrintTo(const ByteText& text, std::ostream* out);
}  // namespace morvane

namespace morvane::testing {

// GBK bytes of a UTF-8 literal: Gbk("第一章").
ByteText Gbk(std::string_view utf8);
// The same as a std::string, for comparing with file contents.
std::string GbkBytes(std::string_view utf8);

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it at the end.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Native (UTF-8) paths.
  const std::string& path() const { return path_; }
  std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }
  // The folder as typed into a box (GBK; scratch folders have ASCII names).
  ByteText gbk() const;
  // The folder, or a name in it, as a path.
  Path native() const { return PathFromUtf8(path_); }
  Path at(std::string_view name) const { return PathFromUtf8(*this / name); }

 private:
  std::string path_;
};

// A native (UTF-8) path as std::filesystem takes it, the same on every system.
std::filesystem::path FileSystemPath(const std::string& utf8);
std::string Utf8Of(const std::filesystem::path& path);

void WriteBytes(const std::string& path, std::string_view bytes);
// Takes away or gives back the right to write a file (on Windows its read-only attribute).
void SetWritable(const std::string& path, bool writable);
std::optional<std::string> ReadBytes(const std::string& path);
// The names in a folder, hidden ones included, sorted.
std::vector<std::string> FolderNames(const std::string& path);

}  // namespace morvane::testing
