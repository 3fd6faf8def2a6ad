// SPDX-License-Identifier: MIT
// The guard on Windows: a mapped input whose pages cannot be read any more (a network
// drive gone, a removable disk pulled; Windows refuses to cut short a file that is
// mapped) raises EXCEPTION_IN_PAGE_ERROR where the pages are touched. A vectored handler
// turns that into the message and exit code 1.

#include <windows.h>

#include <cstdint>
#include <string_view>

#include "cli/input_guard_handler.h"

namespace morvane::cli::guard {
namespace {

LONG CALLBACK OnInPageError(EXCEPTION_POINTERS* exception) {
  if (exception->ExceptionRecord->ExceptionCode != EXCEPTION_IN_PAGE_ERROR) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  // The second parameter of an in-page error is the address that could not be read.
  const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
  const std::uintptr_t address = record.NumberParameters >= 2
                                     ? static_cast<std::uintptr_t>(record.ExceptionInformation[1])
                                     : 0;
  std::string_view parts[2];
  const int count = MessageFor(address, parts);
  for (int k = 0; k < count; ++k) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), parts[k].data(), static_cast<DWORD>(parts[k].size()),
              &written, nullptr);
  }
  ExitProcess(1);
}

}  // namespace

void InstallHandler() {
  AddVectoredExceptionHandler(1, OnInPageError);
}

}  // namespace morvane::cli::guard
