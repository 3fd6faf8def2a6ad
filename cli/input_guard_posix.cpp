// The guard on POSIX: a mapped input cut short raises SIGBUS where its missing pages are
// touched.

#include <signal.h>
#include <unistd.h>

#include "cli/input_guard_handler.h"

namespace morvane::cli::guard {
namespace {

void OnBusError(int) {
  ssize_t ignored = ::write(STDERR_FILENO, message, messageLength);
  (void)ignored;
  ::_exit(1);
}

}  // namespace

void InstallHandler() {
  struct sigaction action {};
  action.sa_handler = OnBusError;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGBUS, &action, nullptr);
}

}  // namespace morvane::cli::guard
