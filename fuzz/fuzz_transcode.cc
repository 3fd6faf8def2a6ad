// Transcode against the character-at-a-time reference, for every pair of the six
// encodings: bytes that are no character of the source are refused at the offset of the
// first of them (and FindUndecodable, counting without decoding, finds it there too);
// everything else converts exactly as the reference writes it, "?" counted for each
// character the target lacks. From an encoding to itself the bytes are kept as they are.
//
// Input: a byte for the source, one for the target, one mode byte, then the text. In mode
// 1 the text's bytes are first read as code points (three bytes each, up to U+10FFFF) and
// written in the source encoding by the reference, so that valid text of every encoding
// comes up as often as random bytes.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/encoding.h"
#include "reference.h"

namespace ref = morvane::reference;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int from = data[0] % 6;
  const int to = data[1] % 6;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string bytes(input.substr(3));
  if (data[2] % 2 == 1) {
    std::u32string characters;
    for (std::size_t i = 0; i + 3 <= bytes.size(); i += 3) {
      char32_t c =
          (ref::At(bytes, i) << 16 | ref::At(bytes, i + 1) << 8 | ref::At(bytes, i + 2)) % 0x110000;
      if (c >= 0xD800 && c <= 0xDFFF) c -= 0x800;
      characters += c;
    }
    std::size_t lacking = 0;
    bytes = ref::EncodeSlowly(from, characters, lacking);
  }
  const auto source = static_cast<morvane::Encoding>(from);
  const auto target = static_cast<morvane::Encoding>(to);
  const morvane::EncodedText out = morvane::Transcode(source, target, bytes);
  if (from == to) {
    if (out.bytes != bytes || out.undecodable != 0)
      ref::Fail("a copy within one encoding", bytes, input);
    return 0;
  }
  const ref::SlowlyDecoded slow = ref::DecodeSlowly(from, bytes);
  const morvane::Undecodable found = morvane::FindUndecodable(source, bytes);
  if (slow.refused) {
    if (out.undecodable == 0 || out.firstUndecodable != slow.first || !out.bytes.empty())
      ref::Fail("undecodable bytes refused at the first", bytes, input);
    if (found.count == 0 || found.first != slow.first)
      ref::Fail("FindUndecodable finds the first undecodable byte", bytes, input);
    return 0;
  }
  if (out.undecodable != 0 || found.count != 0)
    ref::Fail("text that is all characters refused", bytes, input);
  std::size_t lacking = 0;
  const std::string expected = ref::EncodeSlowly(to, slow.characters, lacking);
  if (out.bytes != expected) ref::Fail("Transcode against the reference", bytes, input);
  if (out.unencodable != lacking) ref::Fail("characters the target lacks, counted", bytes, input);
  return 0;
}
