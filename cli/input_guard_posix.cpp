// SPDX-License-Identifier: MIT
// The guard on POSIX: a mapped input cut short raises SIGBUS where its missing pages are
// touched.

#include <signal.h>
#include <unistd.h>

#include <cstdint>
#include <string_view>

#include "cli/input_guard_handler.h"

namespace morvane::cli::guard {
namespace {

void OnBusError(int, siginfo_t* info, void*) {
  std::string_view parts[2];
  const int count = MessageFor(reinterpret_cast<std::uintptr_t>(info->si_addr), parts);
  for (int k = 0; k < count; ++k) {
    ssize_t ignored = ::write(STDERR_FILENO, parts[k].data(), parts[k].size());
    (void)ignored;
  }
  ::_exit(1);
}

}  // namespace

void InstallHandler() {
  struct sigaction action {};
  action.sa_sigaction = OnBusError;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGBUS, &action, nullptr);
}

}  // namespace morvane::cli::guard
