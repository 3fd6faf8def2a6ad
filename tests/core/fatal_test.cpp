// SPDX-License-Identifier: MIT
#include "core/fatal.h"

#include <cstdio>
#include <new>
#include <string>
#include <thread>

#include <sys/resource.h>

#include <gtest/gtest.h>

#include "core/gbk.h"
#include "core/numbers.h"
#include "core/toolkit.h"
#include "sanitizers.h"

namespace morvane {
namespace {

TEST(FatalDeathTest, RemainderByZeroShowsMessageAndExitsWithMinusOne) {
  EXPECT_EXIT(Remainder(5, 0), testing::ExitedWithCode(255),
              "运行时出错!\r\n\r\n错误信息：不能求余数于零\r\n");
}

TEST(FatalDeathTest, OutOfMemoryNamesTheSize) {
  EXPECT_EXIT(OutOfMemory(123456), testing::ExitedWithCode(255), "分配 123456 字节内存失败!");
}

TEST(FatalDeathTest, PresenterGetsTheGbkBoxText) {
  EXPECT_EXIT(
      {
        SetFatalPresenter([](const ByteText& box) {
          bool right = box == GbkFromUtf8("运行时出错!\r\n\r\n错误信息：x\r\n");
          std::fputs(right ? "presented" : "wrong text", stderr);
        });
        RuntimeError(ByteText("x"));
      },
      testing::ExitedWithCode(255), "^presented$");
}

#if !MORVANE_ASAN
void JoinMoreThanMemoryHolds() {
  ByteText piece(std::string(64 << 20, 'a'));
  struct rlimit limit = {512 << 20, 512 << 20};
  ::setrlimit(RLIMIT_AS, &limit);
  ByteText whole = Concat({piece, piece, piece, piece, piece, piece, piece, piece, piece, piece,
                           piece, piece, piece, piece, piece, piece});
  std::fprintf(stderr, "%zu", whole.size());
}

TEST(FatalDeathTest, ExhaustedMemoryForATextIsFatal) {
  EXPECT_EXIT(JoinMoreThanMemoryHolds(), testing::ExitedWithCode(255),
              "分配 1073741824 字节内存失败!");
}
#endif

// Memory that runs out where nothing catches it (here a thread of its own) ends the program
// with the message, not the system's abort.
TEST(FatalDeathTest, UncaughtOutOfMemoryShowsTheMessage) {
  EXPECT_EXIT(
      {
        EndUncaughtOutOfMemoryWithMessage();
        std::thread([] { throw std::bad_alloc(); }).join();
      },
      testing::ExitedWithCode(255), "内存不足!");
}

}  // namespace
}  // namespace morvane
