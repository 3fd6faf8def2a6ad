// SPDX-License-Identifier: MIT
#pragma once
// The one fatal error path: a box with the stop icon, then exit with code -1.
// The desktop program installs a presenter that shows the box; without one the text
// goes to standard error.

#include <cstddef>
#include <functional>

#include "core/byte_text.h"

namespace morvane {

// Shows "运行时出错!" CR LF CR LF "错误信息：" message CR LF and ends the program with
// exit code -1.
[[noreturn]] void RuntimeError(const ByteText& message);

// RuntimeError with "分配 %d 字节内存失败!" for a request of the given size.
[[noreturn]] void OutOfMemory(std::size_t bytes);

// RuntimeError with "内存不足!": a std::bad_alloc that reached the top of the program, where
// the size asked for is no longer known.
[[noreturn]] void OutOfMemoryAtTop();

// Makes a std::bad_alloc that nothing caught (on any thread, or out of a function that
// may not throw) end the program through OutOfMemoryAtTop, not the system's abort. Other
// uncaught exceptions end it as before. Called once at the start of each program.
void EndUncaughtOutOfMemoryWithMessage();

// Receives the whole GBK text of the fatal box; it must return once the user has
// closed the box. Replaces the previous presenter.
using FatalPresenter = std::function<void(const ByteText& boxText)>;
void SetFatalPresenter(FatalPresenter presenter);

}  // namespace morvane
