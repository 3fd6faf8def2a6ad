// The GBK boundary must be lossless: every byte string without a zero byte comes back
// unchanged through DecodeGbk/EncodeGbk and through UTF-8. A name shown to the user is
// UTF-8 whatever its bytes, and a typed name comes back as typed when shown.
// The same input read as UTF-16 must encode without crashing and without zero bytes
// (a character GBK cannot hold becomes "?"). The bytes that are no character, counted
// without decoding (GBK 64 bytes at a time, UTF-8 a valid MiB at a time), are those that
// decoding one character at a time escapes.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "core/encoding.h"
#include "core/gbk.h"
#include "core/path.h"
#include "reference.h"

namespace ref = morvane::reference;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view all(reinterpret_cast<const char*>(data), size);
  std::string_view bytes = all.substr(0, all.find('\0'));

  std::u16string decoded = morvane::DecodeGbk(bytes);
  if (morvane::EncodeGbk(decoded) != bytes) ref::Fail("DecodeGbk/EncodeGbk round trip", bytes);
  if (decoded.size() > bytes.size()) ref::Fail("more characters than bytes", bytes);
  bool ascii = true;
  for (unsigned char c : bytes) ascii = ascii && c < 0x80;
  if (ascii && decoded != std::u16string(bytes.begin(), bytes.end()))
    ref::Fail("ASCII must decode to itself", bytes);

  std::string utf8 = morvane::Utf8FromGbk(bytes);
  if (morvane::GbkFromUtf8(utf8).view() != bytes) ref::Fail("UTF-8 round trip", bytes);
  const morvane::Path path{std::string(bytes)};
  const std::string shown = morvane::DisplayName(path);
  for (std::size_t i = 0; i < shown.size();) {
    char32_t c = 0;
    const std::size_t length = morvane::Utf8SequenceAt(std::string_view(shown).substr(i), &c);
    if (length == 0) ref::Fail("a shown name is UTF-8", bytes);
    i += length;
  }
  const morvane::TypedName typed = morvane::PathFromTyped(morvane::ByteText(bytes));
  if (typed.ok() && morvane::DisplayNameGbk(typed.path).view() != bytes)
    ref::Fail("a typed name shows as typed", bytes);

  std::u16string wide(size / 2, u'\0');
  std::memcpy(wide.data(), data, wide.size() * 2);
  for (char16_t& c : wide)
    if (c == 0) c = u'?';
  std::string encoded = morvane::EncodeGbk(wide);
  if (encoded.find('\0') != std::string::npos) ref::Fail("EncodeGbk made a zero byte", all);
  for (morvane::Encoding e : {morvane::Encoding::kGbk, morvane::Encoding::kUtf8}) {
    const morvane::Undecodable fast = morvane::FindUndecodable(e, all);
    const morvane::DecodedText slow = morvane::Decode(e, all);
    if (fast.count != slow.undecodable || (fast.count > 0 && fast.first != slow.firstUndecodable))
      ref::Fail("FindUndecodable against Decode", all);
  }
  // Whatever GbkFromUtf8 is given (the bytes need not be UTF-8), it yields a text.
  (void)morvane::GbkFromUtf8(all.substr(0, all.find('\0')));
  return 0;
}
