// SPDX-License-Identifier: MIT
#pragma once
// The language of a book: zh-Hans for a text in simplified characters, zh-Hant for one in
// traditional characters. Readers place punctuation and choose fonts by it.

#include <string>
#include <string_view>

#include "core/byte_text.h"
#include "core/encoding.h"

namespace morvane {

// "zh-Hant" for a Big5 text, or one in which more characters are traditional than
// simplified (as OpenCC tells them apart, on the first 256 KiB); "zh-Hans" otherwise, and
// for a build without OpenCC.
std::string BookLanguageOf(const ByteText& text, Encoding encoding);

// The language after a conversion by an OpenCC configuration (s2t, t2s, …): the script it
// converts to; empty for none.
std::string LanguageOfConversion(std::string_view config);

}  // namespace morvane
