// SPDX-License-Identifier: Apache-2.0
#include "solver/input_bounds.h"

#include <cmath>
#include <numbers>
#include <utility>

#include "solver/calc_state.h"
#include "solver/input_fields.h"
#include "solver/units.h"

namespace kelvado {
namespace {

constexpr const char* kChangeAndTryAgain = "; change and try again!";

InputProblem Problem(Field field, const std::string& rule) {
  return {field, std::string(FieldInfo(field).caption) + " must be " + rule + kChangeAndTryAgain};
}

constexpr Bound kBounds[kInputCount] = {
    Bound::AboveZero,          // BarrelDiameter
    Bound::Turns,              // LengthRatio
    Bound::BelowRadius,        // ChannelDepth
    Bound::AboveZero,          // ScrewPitch
    Bound::BelowPitchAcross,   // FlightWidth
    Bound::AboveZero,          // OutputRate
    Bound::AboveZero,          // FlowRateRatio
    Bound::AboveZero,          // Density
    Bound::AboveZero,          // SpecificHeat
    Bound::AboveZero,          // Conductivity
    Bound::AboveAbsoluteZero,  // InletTemp
    Bound::AboveAbsoluteZero,  // BarrelTemp
    Bound::AboveZero,          // StdViscosity
    Bound::AboveZero,          // StdShearRate
    Bound::AboveAbsoluteZero,  // StdTemp
    Bound::ShearThinning,      // PowerIndex
    Bound::None,               // TempCoeff: a melt may thin or thicken with temperature
};

}  // namespace

Bound BoundOf(Field field) { return kBounds[static_cast<std::size_t>(field)]; }

std::string BoundText(Field field) {
  switch (BoundOf(field)) {
    case Bound::None: return {};
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
  const std::pair<Field, double> checked[] = {
      {Field::BarrelDiameter, s.BarrelDiameter}, {Field::LengthRatio, s.LengthRatio},
      {Field::ChannelDepth, s.ChannelDepth},     {Field::ScrewPitch, s.ScrewPitch},
      {Field::FlightWidth, s.FlightWidth},       {Field::OutputRate, s.OutputRate},
      {Field::FlowRateRatio, s.FlowRateRatio},   {Field::Density, s.Density},
      {Field::SpecificHeat, s.SpecificHeat},     {Field::Conductivity, s.Conductivity},
      {Field::InletTemp, s.InletTemp},           {Field::BarrelTemp, s.BarrelTemp},
      {Field::StdViscosity, s.StdViscosity},     {Field::StdShearRate, s.StdShearRate},
      {Field::StdTemp, s.StdTemp},               {Field::PowerIndex, s.PowerIndex}};
  for (const auto& [field, v] : checked) {
    switch (BoundOf(field)) {
      case Bound::None: break;
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
        if (!(v > 0 && v <= (BoundOf(field) == Bound::Turns ? kMaxChannelTurns : 1.0))) return Problem(field, BoundText(field));
        break;
    }
  }
  return std::nullopt;
}

}  // namespace kelvado
