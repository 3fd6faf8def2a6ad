#pragma once
// Between the guard and the platform's handler: the message is put together beforehand,
// because the handler may make only async-signal-safe calls (a write and an exit).

#include <cstddef>

namespace morvane::cli::guard {

inline char message[4096];
inline std::size_t messageLength = 0;

// Installs the platform's handler that writes message and exits with code 1 (once).
void InstallHandler();

}  // namespace morvane::cli::guard
