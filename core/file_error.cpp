// SPDX-License-Identifier: MIT
#include "core/file_error.h"

#include <cerrno>
#include <utility>

namespace morvane {
namespace {

ErrorKind KindOfErrno(int code) {
  switch (code) {
    case ENOENT:
      return ErrorKind::kNotFound;
    case EACCES:
    case EPERM:
      return ErrorKind::kNoPermission;
    case EBUSY:
    case ETXTBSY:
      return ErrorKind::kInUse;
    case EROFS:
      return ErrorKind::kReadOnlyFileSystem;
    case ENOSPC:
      return ErrorKind::kNoSpace;
#ifdef EDQUOT
    case EDQUOT:
      return ErrorKind::kQuota;
#endif
    case EMFILE:
    case ENFILE:
      return ErrorKind::kTooManyOpenFiles;
    case EFBIG:
      return ErrorKind::kTooLarge;
    case ENAMETOOLONG:
      return ErrorKind::kNameTooLong;
    case EIO:
      return ErrorKind::kInputOutput;
    case ENOTDIR:
      return ErrorKind::kNotAFolder;
    case EISDIR:
      return ErrorKind::kIsAFolder;
    case ELOOP:
      return ErrorKind::kLinkLoop;
    case ENOMEM:
      return ErrorKind::kOutOfMemory;
    case EFAULT:
      return ErrorKind::kInputGone;
    case ECANCELED:
      return ErrorKind::kCancelled;
    default:
      return ErrorKind::kOther;
  }
}

// The Win32 error codes the program tells apart, by their fixed numbers (winerror.h), so
// that a Windows failure reads the same wherever it is worded or tested.
enum Win32Code : int {
  kFileNotFound = 2,
  kPathNotFound = 3,
  kTooManyOpenFiles = 4,
  kAccessDenied = 5,
  kNotEnoughMemory = 8,
  kOutOfMemory = 14,
  kInvalidDrive = 15,
  kWriteProtect = 19,
  kCrc = 23,
  kWriteFault = 29,
  kReadFault = 30,
  kGenFailure = 31,
  kSharingViolation = 32,
  kLockViolation = 33,
  kHandleDiskFull = 39,
  kBadNetPath = 53,
  kNetworkAccessDenied = 65,
  kBadNetName = 67,
  kDiskFull = 112,
  kFileNameExcedRange = 206,
  kFileTooLarge = 223,
  kDirectory = 267,
  kIoDevice = 1117,
  kUserMappedFile = 1224,
  kDiskQuotaExceeded = 1295,
  kCantResolveFileName = 1921,
};

ErrorKind KindOfWin32(int code) {
  switch (code) {
    case kFileNotFound:
    case kPathNotFound:
    case kInvalidDrive:
    case kBadNetPath:
    case kBadNetName:
      return ErrorKind::kNotFound;
    case kAccessDenied:
    case kNetworkAccessDenied:
      return ErrorKind::kNoPermission;
    case kSharingViolation:
    case kLockViolation:
    case kUserMappedFile:
      return ErrorKind::kInUse;
    case kWriteProtect:
      return ErrorKind::kReadOnlyFileSystem;
    case kDiskFull:
    case kHandleDiskFull:
      return ErrorKind::kNoSpace;
    case kDiskQuotaExceeded:
      return ErrorKind::kQuota;
    case kTooManyOpenFiles:
      return ErrorKind::kTooManyOpenFiles;
    case kFileTooLarge:
      return ErrorKind::kTooLarge;
    case kFileNameExcedRange:
      return ErrorKind::kNameTooLong;
    case kCrc:
    case kReadFault:
    case kWriteFault:
    case kGenFailure:
    case kIoDevice:
      return ErrorKind::kInputOutput;
    case kDirectory:
      return ErrorKind::kNotAFolder;
    case kCantResolveFileName:
      return ErrorKind::kLinkLoop;
    case kNotEnoughMemory:
    case kOutOfMemory:
      return ErrorKind::kOutOfMemory;
    default:
      return ErrorKind::kOther;
  }
}

}  // namespace

ErrorKind FileError::kind() const {
  switch (category) {
    case ErrorCategory::kNone:
      return ErrorKind::kNone;
    case ErrorCategory::kPosix:
      return KindOfErrno(code);
    case ErrorCategory::kWin32:
      return KindOfWin32(code);
    case ErrorCategory::kProgram:
      return static_cast<ProgramError>(code) == ProgramError::kNotRegularFile
                 ? ErrorKind::kNotRegularFile
                 : ErrorKind::kReplacesKeptFile;
  }
  return ErrorKind::kOther;
}

FileError PosixError(int code, FileOperation operation, Path path) {
  return {ErrorCategory::kPosix, code, operation, std::move(path)};
}

FileError ProgramFailure(ProgramError code, FileOperation operation, Path path) {
  return {ErrorCategory::kProgram, static_cast<int>(code), operation, std::move(path)};
}

}  // namespace morvane
