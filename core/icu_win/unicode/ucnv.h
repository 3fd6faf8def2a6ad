#pragma once
// See utypes.h: the Windows build's stand-in for ICU. Converters by ICU's names for the
// encodings the program reads: windows-936 (GBK), GB18030, Big5, UTF-8, UTF-16LE and
// UTF-16BE, each on its Windows code page (936, 54936, 950, 65001, 1200, 1201).

#include "unicode/utypes.h"

struct UConverter;

enum UConverterCallbackReason {
  UCNV_UNASSIGNED = 0,
  UCNV_ILLEGAL = 1,
  UCNV_IRREGULAR = 2,
  UCNV_RESET = 3,
  UCNV_CLOSE = 4,
  UCNV_CLONE = 5,
};

struct UConverterFromUnicodeArgs {
  uint16_t size = sizeof(UConverterFromUnicodeArgs);
  UBool flush = true;
  UConverter* converter = nullptr;
  const UChar* source = nullptr;  // after the character the callback is called for
  const UChar* sourceLimit = nullptr;
  char* target = nullptr;
  const char* targetLimit = nullptr;
  int32_t* offsets = nullptr;
};
struct UConverterToUnicodeArgs;

typedef void (*UConverterFromUCallback)(const void* context, UConverterFromUnicodeArgs* args,
                                        const UChar* codeUnits, int32_t length, UChar32 codePoint,
                                        UConverterCallbackReason reason, UErrorCode* err);
typedef void (*UConverterToUCallback)(const void* context, UConverterToUnicodeArgs* args,
                                      const char* codeUnits, int32_t length,
                                      UConverterCallbackReason reason, UErrorCode* err);

// Stops at the first sequence that is no character, or that the encoding cannot hold.
void UCNV_TO_U_CALLBACK_STOP(const void*, UConverterToUnicodeArgs*, const char*, int32_t,
                             UConverterCallbackReason, UErrorCode*);
void UCNV_FROM_U_CALLBACK_STOP(const void*, UConverterFromUnicodeArgs*, const UChar*, int32_t,
                               UChar32, UConverterCallbackReason, UErrorCode*);

void ucnv_setToUCallBack(UConverter* converter, UConverterToUCallback action, const void* context,
                         UConverterToUCallback* oldAction, const void** oldContext,
                         UErrorCode* err);
void ucnv_setFromUCallBack(UConverter* converter, UConverterFromUCallback action,
                           const void* context, UConverterFromUCallback* oldAction,
                           const void** oldContext, UErrorCode* err);
// Mappings are always round-trip ones here (no best fit).
void ucnv_setFallback(UConverter* converter, UBool usesFallback);
void ucnv_fromUnicode(UConverter* converter, char** target, const char* targetLimit,
                      const UChar** source, const UChar* sourceLimit, int32_t* offsets, UBool flush,
                      UErrorCode* err);

UConverter* ucnv_open(const char* converterName, UErrorCode* err);
void ucnv_close(UConverter* converter);
void ucnv_resetToUnicode(UConverter* converter);
void ucnv_resetFromUnicode(UConverter* converter);
// Whole texts only (flush true); a sequence that is no character becomes U+FFFD, or
// with UCNV_TO_U_CALLBACK_STOP ends the conversion there (U_ILLEGAL_CHAR_FOUND).
void ucnv_toUnicode(UConverter* converter, UChar** target, const UChar* targetLimit,
                    const char** source, const char* sourceLimit, int32_t* offsets, UBool flush,
                    UErrorCode* err);
// What the encoding cannot hold becomes "?" (U+001A for UTF-16, which holds everything).
int32_t ucnv_fromUChars(UConverter* converter, char* dest, int32_t destCapacity, const UChar* src,
                        int32_t srcLength, UErrorCode* err);
