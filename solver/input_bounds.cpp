// SPDX-License-Identifier: Apache-2.0
#include "solver/input_bounds.h"

#include <cmath>
#include <numbers>

#include "solver/calc_state.h"
#include "solver/units.h"

namespace kelvado {
namespace {

constexpr const char* kChangeAndTryAgain = "; change and try again!";

InputProblem Problem(Field field, const std::string& rule) {
  return {field, std::string(FieldInfo(field).caption) + " must be " + rule + kChangeAndTryAgain};
}

}  // namespace

Bound BoundOf(Field field) { return FieldInfo(field).bound; }

std::string BoundText(Field field) {
  switch (BoundOf(field)) {
    case Bound::Unset:
    case Bound::AnyNumber: return {};
    case Bound::AboveZero: return "above zero";
    case Bound::Turns: return "above zero and at most " + ShortNumberText(kMaxChannelTurns) + " turns";
    case Bound::ShearThinning: return "above zero and at most 1";
    case Bound::BelowRadius: return "above zero and less than the barrel radius";
    case Bound::BelowPitchAcross: return "less than the pitch across the channel";
    case Bound::AboveAbsoluteZero: return "above absolute zero, " + ShortNumberText(kAbsoluteZero);
  }
  return {};
}

std::optional<InputProblem> CheckInputBounds(const CalcState& s) {
  for (const InputField& info : kInputFields) {
    const Field field = info.field;
    const double v = s.*info.target;
    switch (info.bound) {
      case Bound::Unset:
      case Bound::AnyNumber: break;
      case Bound::BelowRadius:
        if (!(v > 0)) return Problem(field, "above zero");
        if (!(v < s.BarrelDiameter / 2)) return Problem(field, "less than the barrel radius, " + ShortNumberText(s.BarrelDiameter / 2));
        break;
      case Bound::BelowPitchAcross: {
        // The channel's width across the flights, pitch x cos(helix angle) less the flight.
        const double across = s.ScrewPitch * std::cos(std::atan(s.ScrewPitch / (std::numbers::pi * s.BarrelDiameter)));
        if (!(v < across)) return Problem(field, "less than the pitch across the channel, " + ShortNumberText(across));
        break;
      }
      case Bound::AboveAbsoluteZero:
        if (!(v > kAbsoluteZero)) return Problem(field, "above absolute zero, " + ShortNumberText(kAbsoluteZero));
        break;
      case Bound::AboveZero:
        if (!(v > 0)) return Problem(field, "above zero");
        break;
      case Bound::Turns:
      case Bound::ShearThinning:
        if (!(v > 0 && v <= (info.bound == Bound::Turns ? kMaxChannelTurns : 1.0))) return Problem(field, BoundText(field));
        break;
    }
  }
  return std::nullopt;
}

}  // namespace kelvado
