// FindText and FindTextBackward against the character-stepping loop they are defined by.
// Input: one byte for the start position, one for the length of the wanted text, then the
// wanted text and the text searched. Zero bytes end a ByteText, so they are mapped to 0x01
// to keep the fuzzer's bytes meaningful.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "core/byte_text.h"
#include "reference.h"

namespace ref = morvane::reference;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  int start = static_cast<int>(in.ConsumeIntegral<uint8_t>()) - 2;
  std::size_t wantedBytes = in.ConsumeIntegralInRange<std::size_t>(0, 6);
  std::string wanted = ref::WithoutZeros(in.ConsumeBytesAsString(wantedBytes));
  std::string text = ref::WithoutZeros(in.ConsumeRemainingBytesAsString());

  morvane::ByteText t(text);
  morvane::ByteText w(wanted);
  if (t.view() != text || w.view() != wanted) ref::Fail("ByteText changed its bytes", text);

  // The empty wanted text is found where the scan starts (-1 in the empty text); where the
  // backward scan finds it is left open.
  int got = morvane::FindText(t, w, start);
  if (got != ref::FindText(text, wanted, start)) ref::Fail("FindText", wanted + "|" + text);
  int last = morvane::FindTextBackward(t, w);
  if (wanted.empty()) return 0;

  if (last != ref::FindTextBackward(text, wanted))
    ref::Fail("FindTextBackward", wanted + "|" + text);
  if (got != -1 && text.compare(got - 1, wanted.size(), wanted) != 0)
    ref::Fail("FindText result is no match", wanted + "|" + text);
  // A search from the beginning finds nothing past the last match of the same scan.
  int first = morvane::FindText(t, w, 1);
  if ((first == -1) != (last == -1) || first > last)
    ref::Fail("FindText and FindTextBackward disagree", wanted + "|" + text);
  return 0;
}
