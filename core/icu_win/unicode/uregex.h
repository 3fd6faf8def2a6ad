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
