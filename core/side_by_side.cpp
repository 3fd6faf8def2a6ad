// SPDX-License-Identifier: MIT
#include "core/side_by_side.h"

#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace morvane {

void RunSideBySide(std::size_t parts, const std::function<void(std::size_t part)>& run) {
  if (parts == 0) return;
  std::vector<std::exception_ptr> failures(parts);
  const auto runPart = [&](std::size_t part) {
    try {
      run(part);
    } catch (...) {
      failures[part] = std::current_exception();
    }
  };
  std::vector<std::thread> threads;
  std::size_t started = 1;
  try {
    threads.reserve(parts - 1);
    for (; started < parts; ++started) threads.emplace_back(runPart, started);
  } catch (const std::exception&) {
    // No thread (or no memory for one) to be had: the parts not started run here.
  }
  runPart(0);
  for (std::size_t part = started; part < parts; ++part) runPart(part);
  for (std::thread& thread : threads) thread.join();
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
}

}  // namespace morvane
