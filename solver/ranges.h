// SPDX-License-Identifier: Apache-2.0
#pragma once
// Values of a sweep range.
#include <cstddef>
#include <vector>

namespace kelvado {

// `count` values spaced evenly from `from` to `to`, both ends exactly as given; one value is
// `from` alone. The values between are rounded to 15 significant digits, so that 0.3 to 0.6
// in four gives 0.4 and 0.5 rather than their nearest neighbours.
std::vector<double> EvenlySpaced(double from, double to, std::size_t count);

}  // namespace kelvado
