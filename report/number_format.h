// SPDX-License-Identifier: Apache-2.0
#pragma once
// Number texts of the results file. They round ties away from zero on the 18-digit
// decimal, never show a minus on a value that rounds to zero, and fall back to an
// exponent without a plus sign when a fixed number outgrows its precision.
#include <cstdint>
#include <string>

namespace kelvado {

// Fixed point with at most `precision` significant digits (2..18) and `digits` decimals.
std::string FormatFixed(double value, int precision, int digits, char separator = '.');

// Scientific notation with `precision` significant digits and at least `digits` exponent digits.
std::string FormatExponent(double value, int precision, int digits, char separator = '.');

// FormatFixed with `width` as the precision, blanks in front up to `width` characters.
std::string FormatFixedWidth(double value, int width, int digits, char separator = '.');

// A signed column: " " + FormatExponent(v, 5, 2) for v >= 0, the text alone below zero.
std::string FormatExpField(double value, char separator = '.');

std::string IntegerText(std::int32_t value);

}  // namespace kelvado
