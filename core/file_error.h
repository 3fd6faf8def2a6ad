// SPDX-License-Identifier: MIT
#pragma once
// A failed file operation as a value: the system's code in its category, what was being
// done, and the path. It holds no words: the program's messages (engine/messages.h) say
// it in Chinese where it is shown, from the same value on every system, so that a Windows
// sharing violation stays one and is never taken for a missing right.

#include <cstdint>

#include "core/path.h"

namespace morvane {

enum class ErrorCategory : std::uint8_t {
  kNone,     // no failure
  kPosix,    // code is an errno value
  kWin32,    // code is a Win32 error (GetLastError)
  kProgram,  // code is a ProgramError: a refusal of the program's own
};

enum class ProgramError : int {
  kNotRegularFile = 1,  // a device, a pipe, a socket
  kReplacesKeptFile,    // the name holds a file the operation reads (KeepUnchanged)
};

enum class FileOperation : std::uint8_t { kOpen, kRead, kWrite };

// What a failure comes to, the same on every system: what the program decides by, and
// what its messages word.
enum class ErrorKind : std::uint8_t {
  kNone,
  kNotFound,
  kNoPermission,
  kInUse,  // open or locked by another program
  kReadOnlyFileSystem,
  kNoSpace,
  kQuota,
  kTooManyOpenFiles,
  kTooLarge,
  kNameTooLong,
  kInputOutput,
  kNotAFolder,
  kIsAFolder,
  kLinkLoop,
  kOutOfMemory,
  kNotRegularFile,
  kReplacesKeptFile,
  kInputGone,  // the bytes of a mapped input went away under a write (EFAULT)
  kCancelled,  // the parts of a write were abandoned (ECANCELED)
  kOther,
};

struct FileError {
  ErrorCategory category = ErrorCategory::kNone;
  int code = 0;
  FileOperation operation = FileOperation::kOpen;
  Path path;

  explicit operator bool() const { return category != ErrorCategory::kNone; }
  ErrorKind kind() const;
};

FileError PosixError(int code, FileOperation operation, Path path = {});
FileError ProgramFailure(ProgramError code, FileOperation operation, Path path = {});

}  // namespace morvane
