#pragma once
// See utypes.h: the Windows build's stand-in for ICU.

#include "unicode/uchar.h"
#include "unicode/utypes.h"

int32_t u_countChar32(const UChar* s, int32_t length);
UChar* u_strFromUTF8WithSub(UChar* dest, int32_t destCapacity, int32_t* pDestLength,
                            const char* src, int32_t srcLength, UChar32 subchar,
                            int32_t* pNumSubstitutions, UErrorCode* pErrorCode);
char* u_strToUTF8WithSub(char* dest, int32_t destCapacity, int32_t* pDestLength, const UChar* src,
                         int32_t srcLength, UChar32 subchar, int32_t* pNumSubstitutions,
                         UErrorCode* pErrorCode);
