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
#include "unicode/uregex.h"
#include "unicode/ustring.h"
#include "unicode/utf16.h"

struct UConverter {
  UINT codePage = 936;
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
    if (c != '-' && c != '_') lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
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

const char* u_errorName(UErrorCode code) {
  switch (code) {
    case U_ZERO_ERROR:
      return "U_ZERO_ERROR";
    case U_ILLEGAL_ARGUMENT_ERROR:
      return "U_ILLEGAL_ARGUMENT_ERROR";
    case U_MEMORY_ALLOCATION_ERROR:
      return "U_MEMORY_ALLOCATION_ERROR";
    case U_BUFFER_OVERFLOW_ERROR:
      return "U_BUFFER_OVERFLOW_ERROR";
    case U_UNSUPPORTED_ERROR:
      return "U_UNSUPPORTED_ERROR";
    case U_FILE_ACCESS_ERROR:
      return "U_FILE_ACCESS_ERROR";
    case U_REGEX_RULE_SYNTAX:
      return "U_REGEX_RULE_SYNTAX";
  }
  return "U_ERROR";
}

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
  const int n = srcLength == 0 ? 0
                               : MultiByteToWideChar(CP_UTF8, 0, src, srcLength,
                                                     reinterpret_cast<wchar_t*>(dest), destCapacity);
  if (srcLength > 0 && n == 0) *pErrorCode = U_BUFFER_OVERFLOW_ERROR;
  if (pDestLength) *pDestLength = n;
  return dest;
}

char* u_strToUTF8WithSub(char* dest, int32_t destCapacity, int32_t* pDestLength,
                         const UChar* src, int32_t srcLength, UChar32, int32_t*,
                         UErrorCode* pErrorCode) {
  const int n = srcLength == 0 ? 0
                               : WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const wchar_t*>(src),
                                                     srcLength, dest, destCapacity, nullptr, nullptr);
  if (srcLength > 0 && n == 0) *pErrorCode = U_BUFFER_OVERFLOW_ERROR;
  if (pDestLength) *pDestLength = n;
  return dest;
}

UConverter* ucnv_open(const char* converterName, UErrorCode* err) {
  const UINT codePage = CodePageOf(converterName ? converterName : "");
  if (codePage == 0 || (codePage != kUtf16Le && codePage != kUtf16Be && !IsValidCodePage(codePage))) {
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
    const int length =
        static_cast<int>(std::min<std::size_t>(SequenceLength(codePage, bytes + i, size - i), size - i));
    wchar_t units[2];
    const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS,
                                      reinterpret_cast<const char*>(bytes + i), length, units, 2);
    if (n > 0) {
      for (int k = 0; k < n; ++k) Put(*target, targetLimit, offsets, static_cast<UChar>(units[k]), i, err);
      i += static_cast<std::size_t>(length);
    } else {
      Put(*target, targetLimit, offsets, 0xFFFD, i, err);
      ++i;
    }
  }
  *source += i;
}

int32_t ucnv_fromUChars(UConverter* converter, char* dest, int32_t destCapacity,
                        const UChar* src, int32_t srcLength, UErrorCode* err) {
  std::string out;
  const UINT codePage = converter->codePage;
  if (codePage == 936) {
    out = morvane::gbk_backend::Encode(std::u16string_view(src, static_cast<std::size_t>(srcLength)));
  } else if (codePage == kUtf16Le || codePage == kUtf16Be) {
    for (int32_t i = 0; i < srcLength; ++i) {
      const char high = static_cast<char>(src[i] >> 8);
      const char low = static_cast<char>(src[i] & 0xFF);
      out += codePage == kUtf16Le ? std::string{low, high} : std::string{high, low};
    }
  } else if (srcLength > 0) {
    const auto* wide = reinterpret_cast<const wchar_t*>(src);
    const bool utf8 = codePage == CP_UTF8;
    const int n = WideCharToMultiByte(codePage, 0, wide, srcLength, nullptr, 0, utf8 ? nullptr : "?",
                                      nullptr);
    out.resize(static_cast<std::size_t>(std::max(n, 0)));
    WideCharToMultiByte(codePage, 0, wide, srcLength, out.data(), n, utf8 ? nullptr : "?", nullptr);
  }
  if (static_cast<int32_t>(out.size()) > destCapacity) {
    *err = U_BUFFER_OVERFLOW_ERROR;
    return static_cast<int32_t>(out.size());
  }
  std::copy(out.begin(), out.end(), dest);
  return static_cast<int32_t>(out.size());
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
