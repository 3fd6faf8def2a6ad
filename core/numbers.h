// SPDX-License-Identifier: MIT
#pragma once
// Numbers: conversions between texts and numbers, and the real arithmetic whose exact
// rounding the size displays and piece counts depend on.

#include "core/byte_text.h"

namespace morvane {

// Leading decimal integer after folding full-width forms to ASCII (A3 xx, A1 A1 space,
// A1 AB "~", A1 EE/A1 EF "*"): skips white space, takes one sign and the digits.
// "　１２" gives 12, "-7x" gives -7, no digits give 0. Saturates at the int range.
int ToInteger(const ByteText& text);

// x rounded toward zero, except that a fraction whose magnitude exceeds 0.999999999999
// counts as the next whole number away from zero: 2.9999999999995 gives 3.
int IntegerPart(double x);

// fmod(a, b); a zero b is fatal (RuntimeError "不能求余数于零").
double Remainder(double a, double b);

// "%d".
ByteText ToText(int value);
// "%.13g", rounded on the 17-digit decimal expansion with halves away from zero:
// 1234569 / 1024.0 gives "1205.633789063".
ByteText ToText(double value);
// A copy of the text.
ByteText ToText(const ByteText& value);

}  // namespace morvane
