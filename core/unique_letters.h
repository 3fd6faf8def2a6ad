// SPDX-License-Identifier: MIT
#pragma once
// Eight letters and digits that no other call in any process is likely to give: the part
// of a temporary file's name that keeps two runs (or two writers of one run) apart.

#include <atomic>
#include <chrono>
#include <string>

namespace morvane {

inline std::string UniqueLetters(unsigned long long processId) {
  static std::atomic<unsigned long long> counter{0};
  unsigned long long seed =
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (processId << 32) ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string unique;
  for (int i = 0; i < 8; ++i) {
    seed ^= seed >> 29;
    seed *= 0xBF58476D1CE4E5B9ull;
    seed ^= seed >> 32;
    unique.push_back(kLetters[seed % 62]);
  }
  return unique;
}

}  // namespace morvane
