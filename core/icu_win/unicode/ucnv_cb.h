#pragma once
// See utypes.h: the Windows build's stand-in for ICU.

#include "unicode/ucnv.h"

// Writes bytes for the character a from-Unicode callback was called for.
void ucnv_cbFromUWriteBytes(UConverterFromUnicodeArgs* args, const char* source, int32_t length,
                            int32_t offsetIndex, UErrorCode* err);
