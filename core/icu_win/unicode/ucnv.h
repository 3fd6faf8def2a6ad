#pragma once
// See utypes.h: the Windows build's stand-in for ICU. Converters by ICU's names for the
// encodings the program reads: windows-936 (GBK), GB18030, Big5, UTF-8, UTF-16LE and
// UTF-16BE, each on its Windows code page (936, 54936, 950, 65001, 1200, 1201).

#include "unicode/utypes.h"

struct UConverter;

UConverter* ucnv_open(const char* converterName, UErrorCode* err);
void ucnv_close(UConverter* converter);
void ucnv_resetToUnicode(UConverter* converter);
void ucnv_resetFromUnicode(UConverter* converter);
// Whole texts only (flush true); a sequence that is no character becomes U+FFFD.
void ucnv_toUnicode(UConverter* converter, UChar** target, const UChar* targetLimit,
                    const char** source, const char* sourceLimit, int32_t* offsets, UBool flush,
                    UErrorCode* err);
// What the encoding cannot hold becomes "?" (U+001A for UTF-16, which holds everything).
int32_t ucnv_fromUChars(UConverter* converter, char* dest, int32_t destCapacity,
                        const UChar* src, int32_t srcLength, UErrorCode* err);
