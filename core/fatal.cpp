// SPDX-License-Identifier: MIT
#include "core/fatal.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <string>
#include <utility>

#include "core/gbk.h"

namespace morvane {
namespace {

// The GBK texts are written as bytes so that the fatal path needs no conversion.
// "运行时出错!" CR LF CR LF "错误信息："
constexpr std::string_view kBoxHead =
    "\xD4\xCB\xD0\xD0\xCA\xB1\xB3\xF6\xB4\xED!\r\n\r\n\xB4\xED\xCE\xF3\xD0\xC5\xCF\xA2\xA3\xBA";
// "分配 " and " 字节内存失败!"
constexpr std::string_view kAllocHead = "\xB7\xD6\xC5\xE4 ";
constexpr std::string_view kAllocTail = " \xD7\xD6\xBD\xDA\xC4\xDA\xB4\xE6\xCA\xA7\xB0\xDC!";
// "内存不足!"
constexpr std::string_view kNoMemory = "\xC4\xDA\xB4\xE6\xB2\xBB\xD7\xE3!";

std::terminate_handler& EarlierTerminate() {
  static std::terminate_handler earlier = nullptr;
  return earlier;
}

[[noreturn]] void OnTerminate() {
  if (const std::exception_ptr uncaught = std::current_exception()) {
    try {
      std::rethrow_exception(uncaught);
    } catch (const std::bad_alloc&) {
      OutOfMemoryAtTop();
    } catch (...) {
    }
  }
  if (EarlierTerminate() != nullptr) EarlierTerminate()();
  std::abort();
}

void PresentOnStandardError(const ByteText& boxText) {
  std::string utf8 = Utf8FromGbk(boxText.view());
  std::fwrite(utf8.data(), 1, utf8.size(), stderr);
  std::fflush(stderr);
}

FatalPresenter& Presenter() {
  static FatalPresenter presenter = PresentOnStandardError;
  return presenter;
}

}  // namespace

void SetFatalPresenter(FatalPresenter presenter) {
  Presenter() = presenter ? std::move(presenter) : FatalPresenter(PresentOnStandardError);
}

void RuntimeError(const ByteText& message) {
  // A failure while presenting (memory again, say) must not loop back here.
  static bool entered = false;
  if (entered) std::_Exit(-1);
  entered = true;
  std::string box;
  box.reserve(kBoxHead.size() + message.size() + 2);
  box.append(kBoxHead);
  box.append(message.view());
  box.append("\r\n");
  Presenter()(ByteText(std::move(box)));
  // The program ends at once: no window is asked and nothing is saved, so neither
  // static destructors nor exit handlers run; buffered output is still delivered.
  std::fflush(nullptr);
  std::_Exit(-1);
}

void OutOfMemory(std::size_t bytes) {
  std::string message;
  message.append(kAllocHead);
  message.append(std::to_string(bytes));
  message.append(kAllocTail);
  RuntimeError(ByteText(std::move(message)));
}

void OutOfMemoryAtTop() {
  RuntimeError(ByteText(std::string(kNoMemory)));
}

void EndUncaughtOutOfMemoryWithMessage() {
  std::terminate_handler earlier = std::set_terminate(OnTerminate);
  if (earlier != OnTerminate) EarlierTerminate() = earlier;
}

}  // namespace morvane
