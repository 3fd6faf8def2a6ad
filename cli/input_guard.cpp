// SPDX-License-Identifier: MIT
#include "cli/input_guard.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string_view>

#include "cli/input_guard_handler.h"

namespace morvane::cli {
namespace {

std::atomic<bool> batch{false};

}  // namespace

void GuardMappedInputs(const std::vector<std::string>& nativePaths) {
  if (batch.load()) return;
  static const std::string_view kLead = "morvane-cli: 文件在读取时被截短或改动，操作已中止：\n";
  std::size_t at = 0;
  auto append = [&](std::string_view part) {
    const std::size_t n = std::min(part.size(), sizeof guard::message - at);
    std::memcpy(guard::message + at, part.data(), n);
    at += n;
  };
  for (guard::Input& input : guard::inputs) {
    input.start.store(0);
    input.end.store(0);
  }
  append(kLead);
  guard::leadLength = at;
  for (std::size_t k = 0; k < nativePaths.size(); ++k) {
    const std::size_t lineAt = at;
    append(nativePaths[k]);
    append("\n");
    if (k < guard::kInputs) {
      guard::inputs[k].lineAt = lineAt;
      guard::inputs[k].lineLength = at - lineAt;
    }
  }
  guard::messageLength = at;

  static bool installed = false;
  if (installed) return;
  guard::InstallHandler();
  installed = true;
}

void GuardMappedInput(std::size_t index, std::string_view bytes) {
  if (index >= guard::kInputs || batch.load()) return;
  const auto start = reinterpret_cast<std::uintptr_t>(bytes.data());
  guard::inputs[index].end.store(0);
  guard::inputs[index].start.store(start);
  guard::inputs[index].end.store(start + bytes.size());
}

void GuardBatchInputs(const std::vector<std::string>& nativePaths) {
  GuardMappedInputs(nativePaths);
  batch.store(true);
}

}  // namespace morvane::cli
