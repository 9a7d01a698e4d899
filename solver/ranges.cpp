// SPDX-License-Identifier: Apache-2.0
#include "solver/ranges.h"

#include <charconv>

namespace kelvado {

std::vector<double> EvenlySpaced(double from, double to, std::size_t count) {
  std::vector<double> values{from};
  if (count <= 1) return values;
  const double steps = static_cast<double>(count - 1);
  for (std::size_t i = 1; i + 1 < count; ++i) {
    const double t = static_cast<double>(i) / steps;
    const double value = from * (1 - t) + to * t;
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
    double rounded = value;
    std::from_chars(text, written.ptr, rounded);
    values.push_back(rounded);
  }
  values.push_back(to);
  return values;
}

}  // namespace kelvado
