// SPDX-License-Identifier: MIT
#include "core/side_by_side.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <stdexcept>
#include <thread>
#include <vector>

namespace morvane {
namespace {

// Which parts throw, and which exception the caller should meet: a throw on another thread
// used to end the program, a throw on the calling thread used to leave a thread unjoined.
TEST(RunSideBySide, EveryPartRunsAndTheLowestFailureReachesTheCaller) {
  struct Case {
    const char* name;
    std::size_t parts;
    std::vector<std::size_t> throwing;  // parts that throw; the first throws bad_alloc
    bool expectBadAlloc;
    bool expectThrow;
  };
  const Case cases[] = {
      {"no failure", 4, {}, false, false},
      {"one part", 1, {}, false, false},
      {"a side part runs out of memory", 2, {1}, true, true},
      {"the calling thread's part fails", 3, {0}, true, true},
      {"the lowest of two failures wins", 4, {2, 3}, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::atomic<int>> runs(c.parts);
    const std::thread::id caller = std::this_thread::get_id();
    std::thread::id firstPartOn;
    const auto run = [&](std::size_t part) {
      ++runs[part];
      if (part == 0) firstPartOn = std::this_thread::get_id();
      for (std::size_t k = 0; k < c.throwing.size(); ++k) {
        if (c.throwing[k] != part) continue;
        if (k == 0) throw std::bad_alloc();
        throw std::runtime_error("later");
      }
    };
    bool threw = false;
    bool badAlloc = false;
    try {
      RunSideBySide(c.parts, run);
    } catch (const std::bad_alloc&) {
      threw = badAlloc = true;
    } catch (...) {
      threw = true;
    }
    EXPECT_EQ(threw, c.expectThrow);
    EXPECT_EQ(badAlloc, c.expectBadAlloc);
    EXPECT_EQ(firstPartOn, caller);
    for (std::size_t part = 0; part < c.parts; ++part) EXPECT_EQ(runs[part], 1) << part;
  }
}

}  // namespace
}  // namespace morvane
