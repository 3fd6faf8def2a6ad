#pragma once
// The credit line that ends every output file.

#include "core/byte_text.h"

namespace morvane {

// The 202-byte one-line banner (GBK).
const ByteText& BannerConstant();

}  // namespace morvane
