// ReplaceSubtext against the one-pass loop it is defined by, plus two properties that
// need no reference: replacing a text by itself changes nothing, and the result of a
// replacement by the empty text is never longer than the input.
// Input: lengths of the wanted text and the replacement, then both, then the text.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "core/byte_text.h"
#include "reference.h"

namespace ref = morvane::reference;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  std::size_t wantedBytes = in.ConsumeIntegralInRange<std::size_t>(0, 4);
  std::size_t replacementBytes = in.ConsumeIntegralInRange<std::size_t>(0, 6);
  std::string wanted = ref::WithoutZeros(in.ConsumeBytesAsString(wantedBytes));
  std::string replacement = ref::WithoutZeros(in.ConsumeBytesAsString(replacementBytes));
  std::string text = ref::WithoutZeros(in.ConsumeRemainingBytesAsString());
  morvane::ByteText t(text), w(wanted), r(replacement);
  std::string shown = wanted + "|" + replacement + "|" + text;

  morvane::ByteText got = morvane::ReplaceSubtext(t, w, r);
  if (got.view() != ref::ReplaceSubtext(text, wanted, replacement))
    ref::Fail("ReplaceSubtext", shown);
  if (morvane::ReplaceSubtext(t, w, w).view() != text) ref::Fail("replacing by itself", shown);
  if (morvane::ReplaceSubtext(t, w, morvane::ByteText()).size() > text.size())
    ref::Fail("removal grew the text", shown);
  // The input is never changed: every operation returns a new value.
  if (t.view() != text) ref::Fail("ReplaceSubtext changed its argument", shown);
  return 0;
}
