// SPDX-License-Identifier: MIT
#pragma once
// Long work: how an operation that may take seconds (writing thousands of files, a
// gigabyte of text) tells the window how far it has got, and learns that the user asked
// it to stop. The toolkit decides where the work runs (Toolkit::RunLongWork); the work
// itself only reports and asks.

#include <atomic>
#include <cstdint>
#include <functional>

namespace morvane {

// What a job will do, known before it starts: the progress window counts up to these.
// 0 files means the job is not made of files (the bar then shows bytes alone); 0 bytes
// as well gives a bar that only says the work is going on.
struct WorkSize {
  std::int64_t files = 0;
  std::int64_t bytes = 0;
};

// Handed to a job while it runs, possibly on a thread other than the window's.
class Progress {
 public:
  virtual ~Progress() = default;
  // The files and bytes done so far. False once the user has asked to stop: the job
  // then stops at this point (for a writer, before its next file) and undoes its work.
  virtual bool Advance(std::int64_t files, std::int64_t bytes) = 0;
  // Whether the user has asked to stop, without reporting anything.
  virtual bool StopRequested() const = 0;
};

// Never stops, shows nothing: for work that runs inline (tests, the command line).
class NoProgress final : public Progress {
 public:
  bool Advance(std::int64_t, std::int64_t) override { return true; }
  bool StopRequested() const override { return false; }
};

// The counters a job on a worker thread writes and the window's thread reads; the
// window's thread asks the job to stop through RequestStop.
class SharedProgress final : public Progress {
 public:
  bool Advance(std::int64_t files, std::int64_t bytes) override {
    files_.store(files, std::memory_order_relaxed);
    bytes_.store(bytes, std::memory_order_relaxed);
    return !StopRequested();
  }
  bool StopRequested() const override { return stop_.load(std::memory_order_relaxed); }
  void RequestStop() { stop_.store(true, std::memory_order_relaxed); }
  std::int64_t files() const { return files_.load(std::memory_order_relaxed); }
  std::int64_t bytes() const { return bytes_.load(std::memory_order_relaxed); }

 private:
  std::atomic<std::int64_t> files_{0};
  std::atomic<std::int64_t> bytes_{0};
  std::atomic<bool> stop_{false};
};

using Job = std::function<void(Progress& progress)>;

// Reading or cleaning a text of more bytes than this runs as long work; anything smaller
// is over before a progress window could be seen.
inline constexpr std::int64_t kLongWorkBytes = 16LL << 20;

}  // namespace morvane
