// SPDX-License-Identifier: Apache-2.0
#pragma once
// The seventeen input fields as the window shows them: caption, default text, whether the
// user may edit it, and the command-line option that stands for it.
#include <array>
#include <optional>
#include <string_view>

#include "solver/input.h"

namespace kelvado {

struct InputField {
  Field field;
  std::string_view editName;    // Edit1 .. Edit17
  std::string_view caption;     // UTF-8, the unit in parentheses as the window shows it
  std::string_view unit;        // as tables write it: "cm", "kg/hr", "\u00B0C", "-"
  std::string_view defaultText;
  bool editable;
  std::string_view optionName;  // without the leading "--"
};

inline constexpr std::array<InputField, kInputCount> kInputFields{{
    {Field::BarrelDiameter, "Edit1", "Barrel Diameter (cm)", "cm", "6.5", true, "barrel-diameter"},
    {Field::LengthRatio, "Edit2", "L/D (-)", "-", "8.0", true, "length-ratio"},
    {Field::ChannelDepth, "Edit3", "Channel Depth (cm)", "cm", "0.25", true, "channel-depth"},
    {Field::ScrewPitch, "Edit4", "Screw Pitch (cm)", "cm", "6.5", true, "screw-pitch"},
    {Field::FlightWidth, "Edit5", "Flight Width (cm)", "cm", "0.65", true, "flight-width"},
    {Field::OutputRate, "Edit6", "Output (kg/hr)", "kg/hr", "60.0", true, "output-rate"},
    {Field::FlowRateRatio, "Edit7", "Dimensionless Flow Rate (-)", "-", "0.45", true, "flow-rate-ratio"},
    {Field::Density, "Edit8", "Density (g/cm3)", "g/cm3", "0.96", false, "density"},
    {Field::SpecificHeat, "Edit9", "Specific Heat (cal/g.\u2103)", "cal/g.\u00B0C", "0.68", false, "specific-heat"},
    {Field::Conductivity, "Edit10", "Thermal\u3000Conductivity (cal/cm.s.\u2103)", "cal/cm.s.\u00B0C", "0.00052",
     false, "conductivity"},
    {Field::InletTemp, "Edit11", "Inlet Melt Temperature (\u2103)", "\u00B0C", "300.0", true, "inlet-temp"},
    {Field::BarrelTemp, "Edit12", "Barrel Temperature (\u2103)", "\u00B0C", "300.0", true, "barrel-temp"},
    {Field::StdViscosity, "Edit13", "Std. Vis. (gf.s/cm2)", "gf.s/cm2", "10.5", false, "std-viscosity"},
    {Field::StdShearRate, "Edit14", "Std. SR (1/sec)", "1/sec", "100.0", false, "std-shear-rate"},
    {Field::StdTemp, "Edit15", "Std. Temp. (\u2103)", "\u00B0C", "290.0", false, "std-temp"},
    {Field::PowerIndex, "Edit16", "Parameter n (-)", "-", "0.786", false, "power-index"},
    {Field::TempCoeff, "Edit17", "Parameter b (1/\u2103)", "1/\u00B0C", "0.0337", false, "temp-coeff"},
}};

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
