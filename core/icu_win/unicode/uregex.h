#pragma once
// See utypes.h: the Windows build's stand-in for ICU. The expressions run on the
// standard library's ECMAScript grammar, which agrees with ICU's for the usual heading
// patterns (classes, repetitions, anchors, alternatives); "." and classes see UTF-16
// units rather than code points.

#include "unicode/utypes.h"

struct URegularExpression;

struct UParseError {
  int32_t line = 0;
  int32_t offset = 0;
  UChar preContext[16] = {};
  UChar postContext[16] = {};
};

URegularExpression* uregex_open(const UChar* pattern, int32_t patternLength, uint32_t flags,
                                UParseError* pe, UErrorCode* status);
URegularExpression* uregex_clone(const URegularExpression* regexp, UErrorCode* status);
void uregex_close(URegularExpression* regexp);
void uregex_setText(URegularExpression* regexp, const UChar* text, int32_t textLength,
                    UErrorCode* status);
UBool uregex_find(URegularExpression* regexp, int32_t startIndex, UErrorCode* status);
int32_t uregex_start(URegularExpression* regexp, int32_t groupNum, UErrorCode* status);

// The bounds on a match. The standard library's matcher has none to set: these accept
// them and change nothing.
typedef UBool U_CALLCONV URegexMatchCallback(const void* context, int32_t steps);
void uregex_setTimeLimit(URegularExpression* regexp, int32_t limit, UErrorCode* status);
void uregex_setStackLimit(URegularExpression* regexp, int32_t limit, UErrorCode* status);
void uregex_setMatchCallback(URegularExpression* regexp, URegexMatchCallback* callback,
                             const void* context, UErrorCode* status);
