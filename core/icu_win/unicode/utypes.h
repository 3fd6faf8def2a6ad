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
  // The regular-expression codes with ICU's values, in its order.
  U_REGEX_INTERNAL_ERROR = 0x10300,
  U_REGEX_RULE_SYNTAX,
  U_REGEX_INVALID_STATE,
  U_REGEX_BAD_ESCAPE_SEQUENCE,
  U_REGEX_PROPERTY_SYNTAX,
  U_REGEX_UNIMPLEMENTED,
  U_REGEX_MISMATCHED_PAREN,
  U_REGEX_NUMBER_TOO_BIG,
  U_REGEX_BAD_INTERVAL,
  U_REGEX_MAX_LT_MIN,
  U_REGEX_INVALID_BACK_REF,
  U_REGEX_INVALID_FLAG,
  U_REGEX_LOOK_BEHIND_LIMIT,
  U_REGEX_SET_CONTAINS_STRING,
  U_REGEX_OCTAL_TOO_BIG,
  U_REGEX_MISSING_CLOSE_BRACKET = U_REGEX_SET_CONTAINS_STRING + 2,
  U_REGEX_INVALID_RANGE,
  U_REGEX_STACK_OVERFLOW,
  U_REGEX_TIME_OUT,
  U_REGEX_STOPPED_BY_CALLER,
  U_REGEX_PATTERN_TOO_BIG,
  U_REGEX_INVALID_CAPTURE_GROUP_NAME,
};

#define U_CALLCONV

inline bool U_SUCCESS(UErrorCode code) {
  return code <= U_ZERO_ERROR;
}
inline bool U_FAILURE(UErrorCode code) {
  return code > U_ZERO_ERROR;
}

