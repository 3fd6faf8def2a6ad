// The part of ICU's C API the engine calls, for the Windows build that has no ICU (see
// icu_win/unicode/utypes.h): converters on the system's code pages through
// MultiByteToWideChar and WideCharToMultiByte, GBK through the program's own GBK
// converter (so that it writes what ICU's windows-936 table writes), regular expressions
// through std::wregex.

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <regex>
#include <string>
#include <string_view>

#include "core/gbk_backend.h"
#include "unicode/ucnv.h"
#include "unicode/ucnv_cb.h"
#include "unicode/uregex.h"
#include "unicode/ustring.h"
#include "unicode/utf16.h"

struct UConverter {
  UINT codePage = 936;
  bool toStop = false;    // end at a sequence that is no character instead of U+FFFD
  bool fromStop = false;  // end at a character the encoding cannot hold instead of "?"
  UConverterFromUCallback fromCallback = nullptr;
  const void* fromContext = nullptr;
};

struct URegularExpression {
  std::wstring pattern;
  std::wregex regex;
  const wchar_t* text = nullptr;
  int32_t length = 0;
  int32_t start = -1;
};

namespace {

constexpr UINT kUtf16Le = 1200;
constexpr UINT kUtf16Be = 1201;

std::string Lower(std::string_view name) {
  std::string lower;
  for (char c : name) {
    if (c != '-' && c != '_')
      lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  return lower;
}

// ICU's names (and aliases in use) for the encodings the program reads.
UINT CodePageOf(std::string_view name) {
  const std::string n = Lower(name);
  if (n == "windows936" || n == "gbk" || n == "cp936" || n == "ms936") return 936;
  if (n == "gb18030") return 54936;
  if (n == "big5" || n == "windows950" || n == "cp950") return 950;
  if (n == "utf8") return CP_UTF8;
  if (n == "utf16le") return kUtf16Le;
  if (n == "utf16be") return kUtf16Be;
  return 0;
}

// The length of the sequence that a byte of 0x80 or above starts, as the code page
// reads it: the converter is then asked for that sequence alone.
int SequenceLength(UINT codePage, const unsigned char* bytes, std::size_t left) {
  const unsigned char b = bytes[0];
  if (codePage == CP_UTF8) return b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
  if (codePage == 54936 && left >= 2 && bytes[1] >= 0x30 && bytes[1] <= 0x39) return 4;
  return IsDBCSLeadByteEx(codePage, b) ? 2 : 1;
}

void Put(UChar*& target, const UChar* limit, int32_t*& offsets, UChar unit, std::size_t at,
         UErrorCode* err) {
  if (target >= limit) {
    *err = U_BUFFER_OVERFLOW_ERROR;
    return;
  }
  *target++ = unit;
  if (offsets) *offsets++ = static_cast<int32_t>(at);
}

}  // namespace

UChar32 u_tolower(UChar32 c) {
  return c < 0x10000 ? static_cast<UChar32>(std::towlower(static_cast<wint_t>(c))) : c;
}

int32_t u_countChar32(const UChar* s, int32_t length) {
  int32_t count = 0;
  for (int32_t i = 0; i < length; ++i) {
    if (U16_IS_LEAD(s[i]) && i + 1 < length && U16_IS_TRAIL(s[i + 1])) ++i;
    ++count;
  }
  return count;
}

UChar* u_strFromUTF8WithSub(UChar* dest, int32_t destCapacity, int32_t* pDestLength,
                            const char* src, int32_t srcLength, UChar32, int32_t*,
                            UErrorCode* pErrorCode) {
  // The system's UTF-8 decoder writes U+FFFD for what is no UTF-8, as asked.
  const int n = srcLength == 0
                    ? 0
                    : MultiByteToWideChar(CP_UTF8, 0, src, srcLength,
                                          reinterpret_cast<wchar_t*>(dest), destCapacity);
  if (srcLength > 0 && n == 0) *pErrorCode = U_BUFFER_OVERFLOW_ERROR;
  if (pDestLength) *pDestLength = n;
  return dest;
}

char* u_strToUTF8WithSub(char* dest, int32_t destCapacity, int32_t* pDestLength, const UChar* src,
                         int32_t srcLength, UChar32, int32_t*, UErrorCode* pErrorCode) {
  const int n = srcLength == 0
                    ? 0
                    : WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const wchar_t*>(src),
                                          srcLength, dest, destCapacity, nullptr, nullptr);
  if (srcLength > 0 && n == 0) *pErrorCode = U_BUFFER_OVERFLOW_ERROR;
  if (pDestLength) *pDestLength = n;
  return dest;
}

UConverter* ucnv_open(const char* converterName, UErrorCode* err) {
  UINT codePage = CodePageOf(converterName ? converterName : "");
  // Wine (8.0) has no GB18030 code page: there its one- and two-byte part, which is GBK,
  // stands in, and four-byte sequences read as no characters. Windows itself has it.
  if (codePage == 54936 && !IsValidCodePage(codePage)) codePage = 936;
  if (codePage == 0 ||
      (codePage != kUtf16Le && codePage != kUtf16Be && !IsValidCodePage(codePage))) {
    *err = U_FILE_ACCESS_ERROR;  // ICU's answer for a converter it has no data for
    return nullptr;
  }
  return new UConverter{codePage};
}

void ucnv_close(UConverter* converter) {
  delete converter;
}

void ucnv_resetToUnicode(UConverter*) {}
void ucnv_resetFromUnicode(UConverter*) {}

void ucnv_toUnicode(UConverter* converter, UChar** target, const UChar* targetLimit,
                    const char** source, const char* sourceLimit, int32_t* offsets, UBool,
                    UErrorCode* err) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(*source);
  const std::size_t size = static_cast<std::size_t>(sourceLimit - *source);
  const UINT codePage = converter->codePage;
  std::size_t i = 0;
  if (codePage == kUtf16Le || codePage == kUtf16Be) {
    for (; i + 1 < size && U_SUCCESS(*err); i += 2) {
      const UChar unit = codePage == kUtf16Le ? static_cast<UChar>(bytes[i] | bytes[i + 1] << 8)
                                              : static_cast<UChar>(bytes[i] << 8 | bytes[i + 1]);
      Put(*target, targetLimit, offsets, unit, i, err);
    }
    if (i < size && U_SUCCESS(*err)) Put(*target, targetLimit, offsets, 0xFFFD, i++, err);
  }
  while (i < size && U_SUCCESS(*err)) {
    if (bytes[i] < 0x80) {
      Put(*target, targetLimit, offsets, bytes[i], i, err);
      ++i;
      continue;
    }
    const int length = static_cast<int>(
        std::min<std::size_t>(SequenceLength(codePage, bytes + i, size - i), size - i));
    wchar_t units[2];
    const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS,
                                      reinterpret_cast<const char*>(bytes + i), length, units, 2);
    if (n > 0) {
      for (int k = 0; k < n; ++k)
        Put(*target, targetLimit, offsets, static_cast<UChar>(units[k]), i, err);
      i += static_cast<std::size_t>(length);
    } else if (converter->toStop) {
      *err = U_ILLEGAL_CHAR_FOUND;
      ++i;
    } else {
      Put(*target, targetLimit, offsets, 0xFFFD, i, err);
      ++i;
    }
  }
  *source += i;
}

namespace {

// The bytes of one character (one or two UTF-16 units) in the converter's encoding;
// false when the encoding cannot hold it.
bool EncodeCharacter(UINT codePage, std::u16string_view units, std::string& bytes) {
  bytes.clear();
  if (codePage == kUtf16Le || codePage == kUtf16Be) {
    for (char16_t unit : units) {
      const char high = static_cast<char>(unit >> 8);
      const char low = static_cast<char>(unit & 0xFF);
      bytes += codePage == kUtf16Le ? std::string{low, high} : std::string{high, low};
    }
    return true;
  }
  if (codePage == 936) {
    // The program's own GBK table, the same as ICU's windows-936.
    bytes = morvane::gbk_backend::Encode(units);
    return !(bytes == "?" && units != u"?");
  }
  const auto* wide = reinterpret_cast<const wchar_t*>(units.data());
  const int length = static_cast<int>(units.size());
  char out[8];
  // UTF-8 and GB18030 hold every character and take no best-fit flags.
  const bool whole = codePage == CP_UTF8 || codePage == 54936;
  BOOL usedDefault = FALSE;
  const int n =
      WideCharToMultiByte(codePage, whole ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, wide,
                          length, out, sizeof out, nullptr, whole ? nullptr : &usedDefault);
  if (n <= 0 || usedDefault) return false;
  bytes.assign(out, static_cast<std::size_t>(n));
  return true;
}

}  // namespace

void UCNV_TO_U_CALLBACK_STOP(const void*, UConverterToUnicodeArgs*, const char*, int32_t,
                             UConverterCallbackReason, UErrorCode*) {}
void UCNV_FROM_U_CALLBACK_STOP(const void*, UConverterFromUnicodeArgs*, const UChar*, int32_t,
                               UChar32, UConverterCallbackReason, UErrorCode*) {}

void ucnv_setToUCallBack(UConverter* converter, UConverterToUCallback action, const void*,
                         UConverterToUCallback*, const void**, UErrorCode*) {
  converter->toStop = action == UCNV_TO_U_CALLBACK_STOP;
}

void ucnv_setFromUCallBack(UConverter* converter, UConverterFromUCallback action,
                           const void* context, UConverterFromUCallback*, const void**,
                           UErrorCode*) {
  converter->fromStop = action == UCNV_FROM_U_CALLBACK_STOP;
  converter->fromCallback = converter->fromStop ? nullptr : action;
  converter->fromContext = context;
}

void ucnv_setFallback(UConverter*, UBool) {}

void ucnv_cbFromUWriteBytes(UConverterFromUnicodeArgs* args, const char* source, int32_t length,
                            int32_t, UErrorCode* err) {
  if (args->target + length > args->targetLimit) {
    *err = U_BUFFER_OVERFLOW_ERROR;
    return;
  }
  args->target = std::copy(source, source + length, args->target);
}

void ucnv_fromUnicode(UConverter* converter, char** target, const char* targetLimit,
                      const UChar** source, const UChar* sourceLimit, int32_t*, UBool,
                      UErrorCode* err) {
  std::string bytes;
  while (*source < sourceLimit && U_SUCCESS(*err)) {
    const UChar* at = *source;
    const std::size_t length =
        U16_IS_LEAD(at[0]) && at + 1 < sourceLimit && U16_IS_TRAIL(at[1]) ? 2 : 1;
    const std::u16string_view units(at, length);
    *source += length;
    if (EncodeCharacter(converter->codePage, units, bytes)) {
      if (*target + bytes.size() > targetLimit) {
        *err = U_BUFFER_OVERFLOW_ERROR;
        return;
      }
      *target = std::copy(bytes.begin(), bytes.end(), *target);
      continue;
    }
    if (converter->fromStop) {
      *err = U_INVALID_CHAR_FOUND;
      return;
    }
    const UChar32 codePoint =
        length == 2 ? 0x10000 + ((at[0] - 0xD800) << 10) + (at[1] - 0xDC00) : at[0];
    UConverterFromUnicodeArgs args;
    args.converter = converter;
    args.source = *source;
    args.sourceLimit = sourceLimit;
    args.target = *target;
    args.targetLimit = targetLimit;
    if (converter->fromCallback) {
      converter->fromCallback(converter->fromContext, &args, at, static_cast<int32_t>(length),
                              codePoint, UCNV_UNASSIGNED, err);
    } else {
      ucnv_cbFromUWriteBytes(&args, "?", 1, 0, err);
    }
    *target = args.target;
  }
}

int32_t ucnv_fromUChars(UConverter* converter, char* dest, int32_t destCapacity, const UChar* src,
                        int32_t srcLength, UErrorCode* err) {
  char* target = dest;
  const UChar* source = src;
  ucnv_fromUnicode(converter, &target, dest + destCapacity, &source, src + srcLength, nullptr, true,
                   err);
  return static_cast<int32_t>(target - dest);
}

URegularExpression* uregex_open(const UChar* pattern, int32_t patternLength, uint32_t,
                                UParseError* pe, UErrorCode* status) {
  auto* regexp = new URegularExpression;
  regexp->pattern.assign(reinterpret_cast<const wchar_t*>(pattern),
                         static_cast<std::size_t>(patternLength));
  try {
    regexp->regex = std::wregex(regexp->pattern, std::regex_constants::ECMAScript);
  } catch (const std::regex_error&) {
    if (pe) pe->offset = 0;
    *status = U_REGEX_RULE_SYNTAX;
    delete regexp;
    return nullptr;
  }
  return regexp;
}

URegularExpression* uregex_clone(const URegularExpression* regexp, UErrorCode*) {
  return new URegularExpression(*regexp);
}

void uregex_close(URegularExpression* regexp) {
  delete regexp;
}

void uregex_setText(URegularExpression* regexp, const UChar* text, int32_t textLength,
                    UErrorCode*) {
  regexp->text = reinterpret_cast<const wchar_t*>(text);
  regexp->length = textLength;
  regexp->start = -1;
}

UBool uregex_find(URegularExpression* regexp, int32_t startIndex, UErrorCode* status) {
  regexp->start = -1;
  if (startIndex < 0 || startIndex > regexp->length) {
    *status = U_ILLEGAL_ARGUMENT_ERROR;
    return false;
  }
  std::wcmatch match;
  try {
    if (!std::regex_search(regexp->text + startIndex, regexp->text + regexp->length, match,
                           regexp->regex)) {
      return false;
    }
  } catch (const std::regex_error&) {
    return false;  // too complex for this line: no heading
  }
  regexp->start = startIndex + static_cast<int32_t>(match.position(0));
  return true;
}

int32_t uregex_start(URegularExpression* regexp, int32_t, UErrorCode*) {
  return regexp->start;
}

void uregex_setTimeLimit(URegularExpression*, int32_t, UErrorCode*) {}

void uregex_setStackLimit(URegularExpression*, int32_t, UErrorCode*) {}

void uregex_setMatchCallback(URegularExpression*, URegexMatchCallback*, const void*, UErrorCode*) {}
