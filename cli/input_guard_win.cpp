// The guard on Windows: a mapped input whose pages cannot be read any more (a network
// drive gone, a removable disk pulled; Windows refuses to cut short a file that is
// mapped) raises EXCEPTION_IN_PAGE_ERROR where the pages are touched. A vectored handler
// turns that into the message and exit code 1.

#include <windows.h>

#include "cli/input_guard_handler.h"

namespace morvane::cli::guard {
namespace {

LONG CALLBACK OnInPageError(EXCEPTION_POINTERS* exception) {
  if (exception->ExceptionRecord->ExceptionCode != EXCEPTION_IN_PAGE_ERROR) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), message, static_cast<DWORD>(messageLength), &written,
            nullptr);
  ExitProcess(1);
}

}  // namespace

void InstallHandler() {
  AddVectoredExceptionHandler(1, OnInPageError);
}

}  // namespace morvane::cli::guard
