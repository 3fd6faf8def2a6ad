// The GBK converter through ICU's windows-936 table.

#include <memory>

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>

#include "core/byte_text.h"
#include "core/fatal.h"
#include "core/gbk_backend.h"
#include "core/thread_converter.h"

namespace morvane::gbk_backend {
namespace {

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// To Unicode: every byte of an invalid, unassigned or incomplete sequence becomes its
// raw escape (bytes below 0x80 stay themselves).
constexpr int32_t kMaxInvalidBytes = 32;  // ICU hands over at most this many

void EscapeInvalidBytes(const void*, UConverterToUnicodeArgs* args, const char* codeUnits,
                        int32_t length, UConverterCallbackReason reason, UErrorCode* err) {
  if (reason > UCNV_IRREGULAR) return;  // reset, close, clone
  UChar escaped[kMaxInvalidBytes];
  int32_t count = 0;
  for (int32_t i = 0; i < length && count < kMaxInvalidBytes; ++i) {
    escaped[count++] = RawEscape(static_cast<unsigned char>(codeUnits[i]));
  }
  *err = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, escaped, count, 0, err);
}

// From Unicode: whatever GBK cannot hold becomes "?", default-ignorable characters
// included (ICU's own substitution would drop those silently).
void QuestionMarkForUnmappable(const void*, UConverterFromUnicodeArgs* args, const UChar*, int32_t,
                               UChar32, UConverterCallbackReason reason, UErrorCode* err) {
  if (reason > UCNV_IRREGULAR) return;
  *err = U_ZERO_ERROR;
  ucnv_cbFromUWriteBytes(args, "?", 1, 0, err);
}

Converter OpenConverter() {
  UErrorCode err = U_ZERO_ERROR;
  Converter c(ucnv_open("windows-936", &err));
  if (U_FAILURE(err) || !c) {
    // Without the code page nothing of the program works; ICU's data is part of the
    // installation, so this is a broken installation.
    // "ICU的windows-936编码转换器不可用"
    RuntimeError(
        ByteText("ICU\xB5\xC4"
                 "windows-936"
                 "\xB1\xE0\xC2\xEB\xD7\xAA\xBB\xBB\xC6\xF7\xB2\xBB\xBF\xC9\xD3\xC3"));
  }
  err = U_ZERO_ERROR;
  ucnv_setToUCallBack(c.get(), EscapeInvalidBytes, nullptr, nullptr, nullptr, &err);
  ucnv_setFromUCallBack(c.get(), QuestionMarkForUnmappable, nullptr, nullptr, nullptr, &err);
  ucnv_setFallback(c.get(), false);
  return c;
}

UConverter* ThreadConverter() {
  return morvane::ThreadConverter(kThreadConverterSlots - 1,
                                  [](int) { return OpenConverter().release(); });
}

std::u16string DecodeWith(UConverter* c, std::string_view bytes) {
  std::u16string out;
  // Every byte gives at most one unit: pairs map into the BMP, escapes are per byte.
  out.resize(bytes.size());
  ucnv_resetToUnicode(c);
  UChar* target = reinterpret_cast<UChar*>(out.data());
  const char* source = bytes.data();
  UErrorCode err = U_ZERO_ERROR;
  ucnv_toUnicode(c, &target, target + out.size(), &source, bytes.data() + bytes.size(), nullptr,
                 true, &err);
  out.resize(static_cast<std::size_t>(target - reinterpret_cast<UChar*>(out.data())));
  if (U_FAILURE(err) || source != bytes.data() + bytes.size()) out.clear();
  return out;
}

std::string EncodeWith(UConverter* c, std::u16string_view text) {
  std::string out;
  out.resize(text.size() * 2);
  ucnv_resetFromUnicode(c);
  char* target = out.data();
  const UChar* source = reinterpret_cast<const UChar*>(text.data());
  const UChar* end = source + text.size();
  UErrorCode err = U_ZERO_ERROR;
  ucnv_fromUnicode(c, &target, out.data() + out.size(), &source, end, nullptr, true, &err);
  out.resize(static_cast<std::size_t>(target - out.data()));
  return out;
}

}  // namespace

std::u16string Decode(std::string_view bytes) {
  return DecodeWith(ThreadConverter(), bytes);
}

std::string Encode(std::u16string_view text) {
  return EncodeWith(ThreadConverter(), text);
}

}  // namespace morvane::gbk_backend
