// SPDX-License-Identifier: MIT
#include "core/file_writing_parts.h"

#include <algorithm>
#include <atomic>
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

namespace {

// The hooks of SetWriteFaults; writer threads read them while a test may set them.
struct FaultHooks {
  std::atomic<int (*)(std::size_t)> beforeWrite{nullptr};
  std::atomic<std::size_t (*)(std::size_t)> shortWrite{nullptr};
  std::atomic<void (*)()> beforeNaming{nullptr};
};

FaultHooks& Hooks() {
  static FaultHooks hooks;
  return hooks;
}

}  // namespace

int InjectedWriteError(std::size_t bytes) {
  const auto hook = Hooks().beforeWrite.load();
  return hook ? hook(bytes) : 0;
}

std::size_t WriteLimit(std::size_t bytes) {
  const auto hook = Hooks().shortWrite.load();
  return hook ? std::clamp<std::size_t>(hook(bytes), 1, std::max<std::size_t>(bytes, 1)) : bytes;
}

bool WritesWatched() {
  return Hooks().beforeWrite.load() != nullptr || Hooks().shortWrite.load() != nullptr;
}

void BeforeNaming() {
  if (const auto hook = Hooks().beforeNaming.load()) hook();
}

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
  file_writing::FaultHooks& hooks = file_writing::Hooks();
  hooks.beforeWrite.store(faults.beforeWrite);
  hooks.shortWrite.store(faults.shortWrite);
  hooks.beforeNaming.store(faults.beforeNaming);
}

}  // namespace morvane
