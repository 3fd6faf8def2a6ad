#pragma once
// See utypes.h: the Windows build's stand-in for ICU.

#include "unicode/utypes.h"

UChar32 u_tolower(UChar32 c);
