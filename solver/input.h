#pragma once
// Reading the seventeen input texts.
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace kelvado {

struct CalcState;
class RunServices;

inline constexpr int kInputCount = 17;
using InputTexts = std::array<std::string, kInputCount>;

// The number grammar of an input field: spaces, optional sign, digits with at most one
// decimal separator (at least one digit or the separator), optional exponent (E or e,
// optional sign, digits that may be missing), spaces. A value too large for a double is
// improper; one too small underflows to zero. Leaves no floating-point flag raised.
std::optional<double> ParseNumber(std::string_view text, char decimalSeparator);

// The input values of the state in field order, Edit1 .. Edit17.
std::array<double*, kInputCount> InputTargets(CalcState& state);

// Reads Edit1..Edit17 into the state in order, stopping at the first improper text with
// the one message. Sets InputValid.
void ReadInputData(CalcState& state, const InputTexts& texts, char decimalSeparator,
                   RunServices& services);

}  // namespace kelvado
