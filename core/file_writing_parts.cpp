// SPDX-License-Identifier: MIT
#include "core/file_writing_parts.h"

#include <algorithm>
#include <mutex>
#include <string_view>
#include <vector>

namespace morvane {
namespace file_writing {
namespace {

struct KeptFiles {
  std::mutex mutex;
  std::vector<FileIdentity> files;
};

KeptFiles& TheKeptFiles() {
  static KeptFiles kept;
  return kept;
}

}  // namespace

std::atomic<int (*)(std::size_t)> beforeWrite{nullptr};
std::atomic<std::size_t (*)(std::size_t)> shortWrite{nullptr};
std::atomic<void (*)()> beforeNaming{nullptr};

bool IsKept(const FileIdentity& id) {
  KeptFiles& kept = TheKeptFiles();
  std::lock_guard lock(kept.mutex);
  return std::find(kept.files.begin(), kept.files.end(), id) != kept.files.end();
}

}  // namespace file_writing

void KeepUnchanged(std::span<const FileIdentity> files) {
  file_writing::KeptFiles& kept = file_writing::TheKeptFiles();
  std::lock_guard lock(kept.mutex);
  kept.files.assign(files.begin(), files.end());
}

bool WriteWholeFile(const Path& path, const ByteBuffer& data) {
  std::string_view part(data);
  return WriteFileParts(path, std::span<const std::string_view>(&part, 1)).ok;
}

void SetWriteFaults(WriteFaults faults) {
  file_writing::beforeWrite.store(faults.beforeWrite);
  file_writing::shortWrite.store(faults.shortWrite);
  file_writing::beforeNaming.store(faults.beforeNaming);
}

}  // namespace morvane
