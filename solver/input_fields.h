// SPDX-License-Identifier: Apache-2.0
#pragma once
// The seventeen input fields in one table: caption, unit, default text, whether the user may
// edit it, the command-line option that stands for it, the bound a run holds it to and the
// state value it is read into. The bounds check, the window's tips and the readers are all
// made from it, so that a field can not lose its bound or its reader unnoticed.
#include <array>
#include <optional>
#include <string_view>

#include "solver/calc_state.h"
#include "solver/input.h"

namespace kelvado {

// The longest channel a run takes, in turns (L/D counts them). Screws are a few dozen
// turns long (L/D 20 to 40, seldom 60, a few hundred turns at the finest pitches); this
// leaves room for studies of fully developed flow, and the longest run ends within a
// second, where a mistyped exponent would otherwise run for hours and fill the disk.
inline constexpr double kMaxChannelTurns = 1000;

// What a field's value must be (solver/input_bounds.h checks it).
enum class Bound {
  Unset,              // no entry of the table may keep this: every field states its bound
  AnyNumber,          // a melt may thin or thicken with temperature
  AboveZero,          // lengths, rates, material constants
  Turns,              // above zero and at most kMaxChannelTurns
  ShearThinning,      // above zero and at most one: a power law that thins with shear
  BelowRadius,        // above zero and less than the barrel radius: the channel fits the barrel
  BelowPitchAcross,   // less than the pitch across the channel: a channel is left between flights
  AboveAbsoluteZero,  // temperatures
};

struct InputField {
  Field field;
  std::string_view editName;    // Edit1 .. Edit17
  std::string_view caption;     // UTF-8, the unit in parentheses as the window shows it
  std::string_view unit;        // as tables write it: "cm", "kg/hr", "\u00B0C", "-"
  std::string_view defaultText;
  bool editable;
  std::string_view optionName;  // without the leading "--"
  Bound bound = Bound::Unset;
  double CalcState::*target = nullptr;  // where ReadInputData puts the value
};

inline constexpr std::array<InputField, kInputCount> kInputFields{{
    {Field::BarrelDiameter, "Edit1", "Barrel Diameter (cm)", "cm", "6.5", true, "barrel-diameter", Bound::AboveZero, &CalcState::BarrelDiameter},
    {Field::LengthRatio, "Edit2", "L/D (-)", "-", "8.0", true, "length-ratio", Bound::Turns, &CalcState::LengthRatio},
    {Field::ChannelDepth, "Edit3", "Channel Depth (cm)", "cm", "0.25", true, "channel-depth", Bound::BelowRadius, &CalcState::ChannelDepth},
    {Field::ScrewPitch, "Edit4", "Screw Pitch (cm)", "cm", "6.5", true, "screw-pitch", Bound::AboveZero, &CalcState::ScrewPitch},
    {Field::FlightWidth, "Edit5", "Flight Width (cm)", "cm", "0.65", true, "flight-width", Bound::BelowPitchAcross, &CalcState::FlightWidth},
    {Field::OutputRate, "Edit6", "Output (kg/hr)", "kg/hr", "60.0", true, "output-rate", Bound::AboveZero, &CalcState::OutputRate},
    {Field::FlowRateRatio, "Edit7", "Dimensionless Flow Rate (-)", "-", "0.45", true, "flow-rate-ratio", Bound::AboveZero, &CalcState::FlowRateRatio},
    {Field::Density, "Edit8", "Density (g/cm3)", "g/cm3", "0.96", false, "density", Bound::AboveZero, &CalcState::Density},
    {Field::SpecificHeat, "Edit9", "Specific Heat (cal/g.\u2103)", "cal/g.\u00B0C", "0.68", false, "specific-heat", Bound::AboveZero, &CalcState::SpecificHeat},
    {Field::Conductivity, "Edit10", "Thermal\u3000Conductivity (cal/cm.s.\u2103)", "cal/cm.s.\u00B0C", "0.00052",
     false, "conductivity", Bound::AboveZero, &CalcState::Conductivity},
    {Field::InletTemp, "Edit11", "Inlet Melt Temperature (\u2103)", "\u00B0C", "300.0", true, "inlet-temp", Bound::AboveAbsoluteZero, &CalcState::InletTemp},
    {Field::BarrelTemp, "Edit12", "Barrel Temperature (\u2103)", "\u00B0C", "300.0", true, "barrel-temp", Bound::AboveAbsoluteZero, &CalcState::BarrelTemp},
    {Field::StdViscosity, "Edit13", "Std. Vis. (gf.s/cm2)", "gf.s/cm2", "10.5", false, "std-viscosity", Bound::AboveZero, &CalcState::StdViscosity},
    {Field::StdShearRate, "Edit14", "Std. SR (1/sec)", "1/sec", "100.0", false, "std-shear-rate", Bound::AboveZero, &CalcState::StdShearRate},
    {Field::StdTemp, "Edit15", "Std. Temp. (\u2103)", "\u00B0C", "290.0", false, "std-temp", Bound::AboveAbsoluteZero, &CalcState::StdTemp},
    {Field::PowerIndex, "Edit16", "Parameter n (-)", "-", "0.786", false, "power-index", Bound::ShearThinning, &CalcState::PowerIndex},
    {Field::TempCoeff, "Edit17", "Parameter b (1/\u2103)", "1/\u00B0C", "0.0337", false, "temp-coeff", Bound::AnyNumber, &CalcState::TempCoeff},
}};

// A dropped, doubled or reordered entry, a field without a bound or a reader, or two fields
// read into one value, stops the build.
constexpr bool TableHolds() {
  for (std::size_t i = 0; i < kInputFields.size(); ++i) {
    const InputField& f = kInputFields[i];
    if (static_cast<std::size_t>(f.field) != i || f.bound == Bound::Unset || f.target == nullptr) return false;
    for (std::size_t k = 0; k < i; ++k) {
      if (kInputFields[k].target == f.target || kInputFields[k].optionName == f.optionName) return false;
    }
  }
  return true;
}
static_assert(TableHolds(), "every input field needs its own entry, bound and value, in field order");

constexpr const InputField& FieldInfo(Field field) { return kInputFields[static_cast<std::size_t>(field)]; }

// The field with that option name (without "--"), if there is one.
constexpr std::optional<Field> FindField(std::string_view optionName) {
  for (const InputField& f : kInputFields) {
    if (f.optionName == optionName) return f.field;
  }
  return std::nullopt;
}

inline constexpr std::string_view kDefaultResultFileName = "result.txt";

// The default texts are written with a point; where the user's decimal separator is
// another character they are shown with it, so that the defaults read as they should.
inline InputTexts DefaultInputTexts(char decimalSeparator = '.') {
  InputTexts texts;
  for (int i = 0; i < kInputCount; ++i) {
    texts[i] = std::string(kInputFields[i].defaultText);
    for (char& c : texts[i]) {
      if (c == '.') c = decimalSeparator;
    }
  }
  return texts;
}

}  // namespace kelvado
