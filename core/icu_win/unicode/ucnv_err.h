#pragma once
// See utypes.h: the Windows build's stand-in for ICU.

#include "unicode/ucnv.h"
