// SPDX-License-Identifier: Apache-2.0
#pragma once
// Reading the seventeen input texts.
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kelvado {

struct CalcState;
class RunServices;

inline constexpr int kInputCount = 17;

// The seventeen input fields, Edit1 .. Edit17 in this order: the one name of each field
// for the core, the command line, the window and the tests.
enum class Field : int {
  BarrelDiameter,
  LengthRatio,
  ChannelDepth,
  ScrewPitch,
  FlightWidth,
  OutputRate,
  FlowRateRatio,
  Density,
  SpecificHeat,
  Conductivity,
  InletTemp,
  BarrelTemp,
  StdViscosity,
  StdShearRate,
  StdTemp,
  PowerIndex,
  TempCoeff,
};

// One value per input field, reached by its Field or by its position.
template <typename T>
struct PerField : std::array<T, kInputCount> {
  using Base = std::array<T, kInputCount>;
  using Base::operator[];
  T& operator[](Field field) { return Base::operator[](static_cast<std::size_t>(field)); }
  const T& operator[](Field field) const { return Base::operator[](static_cast<std::size_t>(field)); }
};

using InputTexts = PerField<std::string>;

// The number grammar of an input field: spaces, optional sign, digits with at most one
// decimal separator (at least one digit or the separator), optional exponent (E or e,
// optional sign, digits that may be missing), spaces. A value too large for a double is
// improper; one too small underflows to zero. Leaves no floating-point flag raised.
std::optional<double> ParseNumber(std::string_view text, char decimalSeparator);

// The shortest text that ParseNumber reads back as exactly the same double (for a finite
// value; a non-finite one gives "inf" or "nan", which it refuses).
std::string ExactNumberText(double value, char decimalSeparator = '.');

// A number for a message: at most 6 significant digits, so that 1e300 stays one short word.
std::string ShortNumberText(double value, char decimalSeparator = '.');
// Why ReadInputData refused the texts, naming the field: its bounds message, or that the
// text is no number.
std::string InputProblemText(const CalcState& state, const InputTexts& texts, char decimalSeparator);

// An output or pressure for a message: two decimals, as the tables show them, unless that
// takes more than 6 significant digits; then ShortNumberText.
std::string TwoDecimalsText(double value, char decimalSeparator = '.');

// The input values of the state in field order, Edit1 .. Edit17.
std::array<double*, kInputCount> InputTargets(CalcState& state);

// Reads Edit1..Edit17 into the state in order, stopping at the first improper text with
// the one message; then refuses values no extruder can have (see solver/input_bounds.h) with
// a message naming the field. Sets InputValid and InvalidField.
void ReadInputData(CalcState& state, const InputTexts& texts, char decimalSeparator,
                   RunServices& services);

}  // namespace kelvado
