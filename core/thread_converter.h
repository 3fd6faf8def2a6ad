// SPDX-License-Identifier: MIT
#pragma once
// ICU converters carry state, so each thread has its own: opened on first use, closed when
// the thread ends.

#include <unicode/ucnv.h>

namespace morvane {

// Each slot holds one converter per thread: encoding.cpp's one per Encoding (its value).
inline constexpr int kThreadConverterSlots = 8;

// This thread's converter of slot, made by open(slot), which never returns nothing, the
// first time.
UConverter* ThreadConverter(int slot, UConverter* (*open)(int slot));

}  // namespace morvane
