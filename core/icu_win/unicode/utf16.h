#pragma once
// See utypes.h: the Windows build's stand-in for ICU.

#include "unicode/utypes.h"

#define U16_IS_LEAD(c) (((c)&0xFFFFFC00) == 0xD800)
#define U16_IS_TRAIL(c) (((c)&0xFFFFFC00) == 0xDC00)
