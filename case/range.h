// SPDX-License-Identifier: Apache-2.0
#pragma once
// Ranges of a sweep, FROM:TO:COUNT: COUNT values spaced evenly from FROM to TO, both ends
// included; one value means FROM alone.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "solver/sweep.h"

namespace kelvado {

// FROM and TO stay texts until the decimal separator is known.
struct RangeText {
  std::string from;
  std::string to;
  std::size_t count = 1;
};

// Splits FROM:TO:COUNT. COUNT is a whole number from 1 to kMaxSweepCases. `what` names the
// option in error messages. Throws InputError.
RangeText ParseRange(std::string_view text, std::string_view what);

// The values of the range, FROM and TO read like field texts with `separator`. The ends are
// FROM and TO exactly; the values between are rounded to 15 significant digits, so that
// 0.3:0.6:4 gives 0.4 and 0.5 rather than their nearest neighbours. Throws InputError.
std::vector<double> RangeValues(const RangeText& range, char separator, std::string_view what);

}  // namespace kelvado
