// SPDX-License-Identifier: Apache-2.0
#include "report/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>

namespace kelvado {
namespace {

struct FixedCase {
  double value;
  int precision;
  int digits;
  const char* expected;
};

// Shown in test names: the call, not the bytes of the struct.
void PrintTo(const FixedCase& c, std::ostream* os) {
  *os << c.value << "_p" << c.precision << "_d" << c.digits;
}

class FormatFixedCases : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FormatFixedCases, MatchesTheDocumentedText) {
  const FixedCase& c = GetParam();
  EXPECT_EQ(FormatFixed(c.value, c.precision, c.digits), c.expected)
      << c.value << " precision " << c.precision << " digits " << c.digits;
}

INSTANTIATE_TEST_SUITE_P(
    TiesSignsAndFallback, FormatFixedCases,
    ::testing::Values(
        // Ties go away from zero on the 18-digit decimal, not to even.
        FixedCase{0.125, 5, 2, "0.13"}, FixedCase{-0.125, 5, 2, "-0.13"}, FixedCase{2.5, 2, 0, "3"},
        // The stored double above the written decimal decides.
        FixedCase{12.345, 5, 2, "12.35"},
        // A value that rounds to zero never shows a minus sign.
        FixedCase{-0.004, 5, 2, "0.00"}, FixedCase{-0.005, 5, 2, "-0.01"}, FixedCase{-0.0, 5, 2, "0.00"},
        FixedCase{0.0, 5, 0, "0"},
        // The significant-digit limit zeroes trailing decimals.
        FixedCase{1234.567, 5, 2, "1234.60"}, FixedCase{12345.678, 5, 2, "12346.00"},
        FixedCase{12.345, 3, 3, "12.300"}, FixedCase{0.00052, 9, 6, "0.000520"},
        FixedCase{0.0337, 9, 5, "0.03370"}, FixedCase{0.0004, 5, 2, "0.00"},
        // Exponent fallback has no plus sign and pads to `digits` exponent digits.
        FixedCase{99999.996, 5, 2, "1E05"}, FixedCase{123456.78, 5, 2, "1.2346E05"},
        FixedCase{1.0E8, 8, 2, "1E08"}, FixedCase{-123456.78, 5, 2, "-1.2346E05"},
        FixedCase{1.0E8, 8, 6, "1E8"},
        // Default header values.
        FixedCase{6.5, 5, 2, "6.50"}, FixedCase{8.0, 4, 1, "8.0"}, FixedCase{0.45, 3, 3, "0.450"},
        FixedCase{85.834827, 6, 2, "85.83"}, FixedCase{300.0, 5, 1, "300.0"},
        // Carries through nines.
        FixedCase{9.9999, 5, 2, "10.00"}, FixedCase{0.0999, 5, 2, "0.10"}, FixedCase{0.5, 5, 0, "1"},
        FixedCase{0.005, 5, 2, "0.01"},
        // Precision is clamped to 2..18.
        FixedCase{123.456, 1, 2, "1.2E02"}, FixedCase{123.456, 40, 3, "123.456"}));

TEST(FormatExponent, WritesFiveSignificantDigitsWithSignedExponent) {
  EXPECT_EQ(FormatExponent(12345.0, 5, 2), "1.2345E+04");
  EXPECT_EQ(FormatExponent(1.23456E-5, 5, 2), "1.2346E-05");
  EXPECT_EQ(FormatExponent(9.99995E9, 5, 2), "1.0000E+10");
  EXPECT_EQ(FormatExponent(0.0, 5, 2), "0.0000E+00");
  EXPECT_EQ(FormatExponent(-0.0, 5, 2), "0.0000E+00");
  EXPECT_EQ(FormatExponent(1.5E123, 5, 2), "1.5000E+123");
  EXPECT_EQ(FormatExponent(-2.25, 5, 2), "-2.2500E+00");
  EXPECT_EQ(FormatExponent(1.0, 5, 6), "1.0000E+0");
}

TEST(FormatExpField, KeepsPositiveAndNegativeColumnsTheSameWidth) {
  EXPECT_EQ(FormatExpField(1234.5), " 1.2345E+03");
  EXPECT_EQ(FormatExpField(-1234.5), "-1.2345E+03");
  EXPECT_EQ(FormatExpField(-0.0), " 0.0000E+00");
  EXPECT_EQ(FormatExpField(1e-120), " 1.0000E-120");
}

TEST(FormatFixedWidth, PadsOnTheLeftAndWidensRatherThanCuts) {
  EXPECT_EQ(FormatFixedWidth(0.2, 6, 3), " 0.200");
  EXPECT_EQ(FormatFixedWidth(99.5, 6, 2), " 99.50");
  EXPECT_EQ(FormatFixedWidth(300.123, 6, 2), "300.12");
  EXPECT_EQ(FormatFixedWidth(1234.56, 6, 2), "1234.56");
  EXPECT_EQ(FormatFixedWidth(1234.5678, 6, 3), "1234.570");
  EXPECT_EQ(FormatFixedWidth(300.0, 5, 2), "300.00");
  EXPECT_EQ(FormatFixedWidth(100000.0, 5, 2), " 1E05");
  EXPECT_EQ(FormatFixedWidth(1.0E8, 8, 2), "    1E08");
  EXPECT_EQ(FormatFixedWidth(-0.001, 5, 2), " 0.00");
}

TEST(NumberConversions, UseTheGivenDecimalSeparator) {
  EXPECT_EQ(FormatFixed(6.5, 5, 2, ','), "6,50");
  EXPECT_EQ(FormatFixed(123456.78, 5, 2, ','), "1,2346E05");
  EXPECT_EQ(FormatExpField(-1234.5, ','), "-1,2345E+03");
  EXPECT_EQ(FormatFixedWidth(0.2, 6, 3, ','), " 0,200");
}

TEST(NumberConversions, WriteNonFiniteValuesAsWords) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(FormatFixed(inf, 5, 2), "INF");
  EXPECT_EQ(FormatFixed(-inf, 5, 2), "-INF");
  EXPECT_EQ(FormatExponent(std::nan(""), 5, 2), "NAN");
  EXPECT_EQ(FormatFixedWidth(inf, 6, 2), "   INF");
}

TEST(NumberConversions, RoundFromTheExactBinaryValue) {
  // 0.145 is stored just below the decimal; 1.005 too: neither rounds up.
  EXPECT_EQ(FormatFixed(0.145, 5, 2), "0.14");
  EXPECT_EQ(FormatFixed(1.005, 5, 2), "1.00");
  // The smallest subnormal is still a non-zero value in scientific form.
  EXPECT_EQ(FormatExponent(4.9406564584124654e-324, 5, 2), "4.9407E-324");
  EXPECT_EQ(FormatFixed(1.7976931348623157e308, 5, 2), "1.7977E308");
}

TEST(IntegerText, WritesPlainDecimal) {
  EXPECT_EQ(IntegerText(0), "0");
  EXPECT_EQ(IntegerText(75), "75");
  EXPECT_EQ(IntegerText(-12), "-12");
}

}  // namespace
}  // namespace kelvado
