// SPDX-License-Identifier: Apache-2.0
#include "solver/input_bounds.h"

#include <cmath>
#include <numbers>
#include <utility>

#include "solver/calc_state.h"
#include "solver/input_fields.h"
#include "solver/message_number.h"

namespace kelvado {
namespace {

constexpr double kAbsoluteZero = -273.15;  // C
constexpr const char* kChangeAndTryAgain = "; change and try again!";

// At most six significant digits, the locale's separator never involved.
std::string Short(double value) { return MessageNumber(value, std::chars_format::general, 6); }

InputProblem Problem(Field field, const std::string& rule) {
  return {field, std::string(FieldInfo(field).caption) + " must be " + rule + kChangeAndTryAgain};
}

}  // namespace

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
    switch (field) {
      case Field::ChannelDepth:
        if (!(v > 0)) return Problem(field, "above zero");
        if (!(v < s.BarrelDiameter / 2)) return Problem(field, "less than the barrel radius, " + Short(s.BarrelDiameter / 2));
        break;
      case Field::FlightWidth: {
        // The channel's width across the flights, pitch x cos(helix angle) less the flight.
        const double across = s.ScrewPitch * std::cos(std::atan(s.ScrewPitch / (std::numbers::pi * s.BarrelDiameter)));
        if (!(v < across)) return Problem(field, "less than the pitch across the channel, " + Short(across));
        break;
      }
      case Field::InletTemp:
      case Field::BarrelTemp:
      case Field::StdTemp:
        if (!(v > kAbsoluteZero)) return Problem(field, "above absolute zero, " + Short(kAbsoluteZero));
        break;
      default:
        if (!(v > 0)) return Problem(field, "above zero");
        break;
    }
  }
  return std::nullopt;
}

}  // namespace kelvado
