// SPDX-License-Identifier: Apache-2.0
#include "case/range.h"

#include <charconv>

#include "solver/input.h"
#include "solver/input_error.h"
#include "solver/ranges.h"

namespace kelvado {
namespace {

double ReadEnd(const std::string& text, char separator, std::string_view what) {
  const std::optional<double> value = ParseNumber(text, separator);
  if (!value) throw InputError::Of(what, ": '", text, "' is not a number");
  return *value;
}

}  // namespace

RangeText ParseRange(std::string_view text, std::string_view what) {
  const std::size_t first = text.find(':');
  const std::size_t second = first == std::string_view::npos ? first : text.find(':', first + 1);
  if (second == std::string_view::npos || text.find(':', second + 1) != std::string_view::npos) {
    throw InputError::Of(what, " takes FROM:TO:COUNT, not '", text, "'");
  }
  RangeText range{std::string(text.substr(0, first)), std::string(text.substr(first + 1, second - first - 1))};
  const std::string_view count = text.substr(second + 1);
  const auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), range.count);
  if (count.empty() || error != std::errc() || end != count.data() + count.size() || range.count < 1 ||
      range.count > kMaxSweepCases) {
    throw InputError::Of(what, ": COUNT must be a whole number from 1 to ", std::to_string(kMaxSweepCases),
                         ", not '", count, "'");
  }
  return range;
}

std::vector<double> RangeValues(const RangeText& range, char separator, std::string_view what) {
  return EvenlySpaced(ReadEnd(range.from, separator, what), ReadEnd(range.to, separator, what), range.count);
}

}  // namespace kelvado
