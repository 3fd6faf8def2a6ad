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

// Receives the whole GBK text of the fatal box; it must return once the user has
// closed the box. Replaces the previous presenter.
using FatalPresenter = std::function<void(const ByteText& boxText)>;
void SetFatalPresenter(FatalPresenter presenter);

}  // namespace morvane
