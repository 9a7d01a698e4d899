// SPDX-License-Identifier: Apache-2.0
#include "report/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace kelvado {
namespace {

constexpr int kSignificant = 18;

// value = 0.d1d2d3... * 10^exponent; zero has no digits and exponent 0.
struct DecimalDigits {
  std::string digits;
  int exponent = 0;
  bool negative = false;
};

DecimalDigits ExactDigits(double value) {
  DecimalDigits d;
  if (value == 0) return d;
  d.negative = std::signbit(value);
  // Correctly rounded (ties to even) to 18 significant digits: "d.ddd...de+XX".
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                 std::chars_format::scientific, kSignificant - 1);
  const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
  const std::size_t e = text.find('e');
  d.digits.reserve(kSignificant);
  d.digits += text[0];
  d.digits.append(text.substr(2, e - 2));
  int exp10 = 0;
  std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), exp10);
  d.exponent = exp10 + 1;
  return d;
}

// Keeps `places` digits (counted from the first significant one), rounding half away from zero
// on the 18-digit string; a result of zero loses its sign.
void RoundToPlaces(DecimalDigits& d, int places, int precision) {
  if (d.digits.empty()) return;
  if (places < 0) {
    d = DecimalDigits{};
    return;
  }
  places = std::min(places, precision);
  if (places < kSignificant) {
    const bool roundUp = d.digits[static_cast<std::size_t>(places)] >= '5';
    d.digits.resize(static_cast<std::size_t>(places));
    if (roundUp) {
      int i = places - 1;
      while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
        d.digits[static_cast<std::size_t>(i)] = '0';
        --i;
      }
      if (i >= 0) {
        ++d.digits[static_cast<std::size_t>(i)];
      } else {
        d.digits.assign(1, '1');
        ++d.exponent;
      }
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d = DecimalDigits{};
}

char DigitAt(const std::string& digits, int index) {
  return index >= 0 && index < static_cast<int>(digits.size()) ? digits[static_cast<std::size_t>(index)]
                                                                 : '0';
}

std::string ExponentDigits(int exponent, int minDigits) {
  std::string text = std::to_string(std::abs(exponent));
  const int width = minDigits <= 4 ? minDigits : 1;
  if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
  return text;
}

bool NonFinite(double value, std::string& text) {
  if (std::isnan(value)) {
    text = "NAN";
  } else if (std::isinf(value)) {
    text = value < 0 ? "-INF" : "INF";
  } else {
    return false;
  }
  return true;
}

int ClampPrecision(int precision) { return std::clamp(precision, 2, kSignificant); }

}  // namespace

std::string FormatFixed(double value, int precision, int digits, char separator) {
  std::string text;
  if (NonFinite(value, text)) return text;
  precision = ClampPrecision(precision);
  digits = std::clamp(digits, 0, kSignificant);
  DecimalDigits d = ExactDigits(value);
  RoundToPlaces(d, d.exponent + digits, precision);
  const bool negative = d.negative && !d.digits.empty();
  if (negative) text += '-';

  if (d.exponent > precision) {
    // More integer digits than the precision allows: exponent form, no plus sign.
    text += d.digits[0];
    if (d.digits.size() > 1) {
      text += separator;
      text.append(d.digits, 1, std::string::npos);
    }
    text += 'E';
    text += ExponentDigits(d.exponent - 1, digits);
    return text;
  }

  if (d.exponent <= 0) {
    text += '0';
  } else {
    for (int i = 0; i < d.exponent; ++i) text += DigitAt(d.digits, i);
  }
  if (digits > 0) {
    text += separator;
    int written = 0;
    if (d.exponent < 0) {
      const int zeros = std::min(-d.exponent, digits);
      text.append(static_cast<std::size_t>(zeros), '0');
      written = zeros;
    }
    for (int i = std::max(d.exponent, 0); written < digits; ++i, ++written) text += DigitAt(d.digits, i);
  }
  return text;
}

std::string FormatExponent(double value, int precision, int digits, char separator) {
  std::string text;
  if (NonFinite(value, text)) return text;
  precision = ClampPrecision(precision);
  DecimalDigits d = ExactDigits(value);
  RoundToPlaces(d, std::numeric_limits<int>::max(), precision);
  if (d.negative && !d.digits.empty()) text += '-';
  text += d.digits.empty() ? '0' : d.digits[0];
  text += separator;
  for (int i = 1; i < precision; ++i) text += DigitAt(d.digits, i);
  const int exponent = d.digits.empty() ? 0 : d.exponent - 1;
  text += 'E';
  text += exponent < 0 ? '-' : '+';
  text += ExponentDigits(exponent, digits);
  return text;
}

std::string FormatFixedWidth(double value, int width, int digits, char separator) {
  std::string text = FormatFixed(value, width, digits, separator);
  if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
  return text;
}

std::string FormatExpField(double value, char separator) {
  std::string text = FormatExponent(value, 5, 2, separator);
  if (!(value < 0)) text.insert(0, 1, ' ');
  return text;
}

std::string IntegerText(std::int32_t value) { return std::to_string(value); }

}  // namespace kelvado
