#pragma once
// The Windows build has no ICU: these headers declare the small part of ICU's C API that
// the engine calls, implemented in core/icu_win.cpp over Windows' own code page
// converters and the standard library's regular expressions. Names and meanings follow
// ICU, so that the engine's sources are the same on every system.

#include <cstdint>

typedef char16_t UChar;
typedef int32_t UChar32;
typedef int8_t UBool;

enum UErrorCode {
  U_ZERO_ERROR = 0,
  U_ILLEGAL_ARGUMENT_ERROR = 1,
  U_MEMORY_ALLOCATION_ERROR = 7,
  U_BUFFER_OVERFLOW_ERROR = 15,
  U_UNSUPPORTED_ERROR = 16,
  U_FILE_ACCESS_ERROR = 4,
  U_INVALID_CHAR_FOUND = 10,
  U_TRUNCATED_CHAR_FOUND = 11,
  U_ILLEGAL_CHAR_FOUND = 12,
  U_REGEX_RULE_SYNTAX = 0x10300,
};

inline bool U_SUCCESS(UErrorCode code) {
  return code <= U_ZERO_ERROR;
}
inline bool U_FAILURE(UErrorCode code) {
  return code > U_ZERO_ERROR;
}

const char* u_errorName(UErrorCode code);
