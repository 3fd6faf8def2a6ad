#include "test_files.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
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

ScratchFolder::ScratchFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/morvane-test-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

ByteText ScratchFolder::gbk() const {
  return GbkFromUtf8(path_);
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::optional<std::string> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> FolderNames(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace morvane::testing
