// SPDX-License-Identifier: Apache-2.0
#pragma once
// Values no extruder can have. Every length, rate and material constant must be above zero,
// the flights must leave a channel between them, the channel must fit inside the barrel and
// every temperature must be above absolute zero. A run with such an input is refused before
// anything is written, with a message naming the field.
#include <optional>
#include <string>

#include "solver/input_fields.h"

namespace kelvado {

struct InputProblem {
  Field field;
  std::string message;  // "Channel Depth (cm) must be less than the barrel radius, 3.25: ..."
};

// The bound of a field, from the one table of fields (solver/input_fields.h).
Bound BoundOf(Field field);
// The bound in words, as a tip shows it: "above zero and less than the barrel radius"; empty
// for a field without one.
std::string BoundText(Field field);

// The first problem in field order, if any, of the input values of the state.
std::optional<InputProblem> CheckInputBounds(const CalcState& state);

}  // namespace kelvado
