// SPDX-License-Identifier: MIT
#pragma once
// Between the guard and the platform's handler: the message is put together beforehand,
// because the handler may make only async-signal-safe calls (a write and an exit).

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace morvane::cli::guard {

// The lead line followed by every input's name, one a line.
inline char message[4096];
inline std::size_t messageLength = 0;
inline std::size_t leadLength = 0;

// Where each input's text lies in memory once it is read, and its line in message.
struct Input {
  std::atomic<std::uintptr_t> start{0};
  std::atomic<std::uintptr_t> end{0};
  std::size_t lineAt = 0;
  std::size_t lineLength = 0;
};
inline constexpr std::size_t kInputs = 8;
inline Input inputs[kInputs];

// What to write for a bus error at address: the lead line and the name of the input that
// holds address, or the whole message when no input is known to hold it. The number of
// parts (1 or 2) put into parts.
inline int MessageFor(std::uintptr_t address, std::string_view parts[2]) {
  for (const Input& input : inputs) {
    if (address >= input.start.load() && address < input.end.load()) {
      parts[0] = std::string_view(message, leadLength);
      parts[1] = std::string_view(message + input.lineAt, input.lineLength);
      return 2;
    }
  }
  parts[0] = std::string_view(message, messageLength);
  return 1;
}

// Installs the platform's handler that writes MessageFor the faulting address and exits
// with code 1 (once).
void InstallHandler();

}  // namespace morvane::cli::guard
