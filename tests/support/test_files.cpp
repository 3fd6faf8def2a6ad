// SPDX-License-Identifier: MIT
#include "test_files.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "core/gbk.h"

namespace morvane {

void PrintTo(const ByteText& text, std::ostream* out) {
  static const char kHex[] = "0123456789ABCDEF";
  *out << '"';
  for (unsigned char c : text.view()) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      *out << static_cast<char>(c);
    } else {
      *out << "\\x" << kHex[c >> 4] << kHex[c & 15];
    }
  }
  *out << '"';
}

}  // namespace morvane

namespace morvane::testing {

ByteText Gbk(std::string_view utf8) {
  return GbkFromUtf8(utf8);
}

std::string GbkBytes(std::string_view utf8) {
  return std::string(Gbk(utf8).view());
}

std::filesystem::path FileSystemPath(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const std::filesystem::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

ScratchFolder::ScratchFolder() {
#ifdef _WIN32
  // The user's temporary folder, as the system names it.
  std::random_device random;
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    const std::filesystem::path folder = base / ("morvane-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(folder)) path_ = Utf8Of(folder);
  }
  if (path_.empty()) throw std::runtime_error("no scratch folder");
#else
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/morvane-test-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
#endif
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(FileSystemPath(path_), ignored);
}

ByteText ScratchFolder::gbk() const {
  return GbkFromUtf8(path_);
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(FileSystemPath(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void SetWritable(const std::string& path, bool writable) {
  namespace fs = std::filesystem;
  const fs::perms write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  fs::permissions(FileSystemPath(path), writable ? fs::perms::owner_write : write,
                  writable ? fs::perm_options::add : fs::perm_options::remove);
}

std::optional<std::string> ReadBytes(const std::string& path) {
  std::ifstream in(FileSystemPath(path), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> FolderNames(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(FileSystemPath(path))) {
    names.push_back(Utf8Of(entry.path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace morvane::testing
