// SPDX-License-Identifier: Apache-2.0
#pragma once
// Values no extruder can have. Every length, rate and material constant must be above zero,
// the flights must leave a channel between them, the channel must fit inside the barrel and
// every temperature must be above absolute zero. A run with such an input is refused before
// anything is written, with a message naming the field.
#include <optional>
#include <string>

#include "solver/input.h"

namespace kelvado {

struct CalcState;

struct InputProblem {
  Field field;
  std::string message;  // "Channel Depth (cm) must be less than the barrel radius, 3.25: ..."
};

// The longest channel a run takes, in turns (L/D counts them). Screws are a few dozen
// turns long (L/D 20 to 40, seldom 60, a few hundred turns at the finest pitches); this
// leaves room for studies of fully developed flow, and the longest run ends within a
// second, where a mistyped exponent would otherwise run for hours and fill the disk.
inline constexpr double kMaxChannelTurns = 1000;

// What a field's value must be: the one table the check below and the window's tips read.
enum class Bound {
  None,               // any number
  AboveZero,          // lengths, rates, material constants
  Turns,              // above zero and at most kMaxChannelTurns
  ShearThinning,      // above zero and at most one: a power law that thins with shear
  BelowRadius,        // above zero and less than the barrel radius: the channel fits the barrel
  BelowPitchAcross,   // less than the pitch across the channel: a channel is left between flights
  AboveAbsoluteZero,  // temperatures
};
Bound BoundOf(Field field);
// The bound in words, as a tip shows it: "above zero and less than the barrel radius"; empty
// for a field without one.
std::string BoundText(Field field);

// The first problem in field order, if any, of the input values of the state.
std::optional<InputProblem> CheckInputBounds(const CalcState& state);

}  // namespace kelvado
