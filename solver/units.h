// SPDX-License-Identifier: Apache-2.0
#pragma once
// The unit factors between the solver's units (cm, gf, s, cal, C) and the ones the results
// file, the exports and the window report in. Every conversion goes through these, in the
// way written beside each, since the results file depends on the exact operation.
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace kelvado {

// Absolute zero on the Celsius scale: no temperature lies at or below it.
inline constexpr double kAbsoluteZero = -273.15;  // C

// gf to kgf: divide by this (gf/cm2 to kgf/cm2).
inline constexpr double kGfPerKgf = 1000;
// The classic model's constants, which its results file depends on to the digit. Each
// rounds its own calorie: the heat goes through 4.1897 J and the pressure power through
// 9.8067e-5 J per gf.cm, 0.1 % apart, a gap its power balance carries.
// cal/s to kW: multiply by this.
inline constexpr double kCalPerSecToKW = 0.0041897;
// gf.cm/s to kW: multiply by this.
inline constexpr double kGfCmPerSecToKW = 9.8067e-8;
// Viscous work in gf.cm to heat in cal: multiply by this.
inline constexpr double kWorkToHeat = 2.343e-5;

// Pressures as a person reads them: the results file, the CSV and the JSON keep kgf/cm2,
// the printed summaries and tables may show another unit. Power stays in kW.
struct PressureUnit {
  std::string_view name;  // as printed after a value: "kgf/cm2", "MPa", "bar", "psi"
  double perKgfPerCm2;    // the value of 1 kgf/cm2 in this unit; kgf/cm2 values are multiplied by it
  int decimals;           // decimals a summary or table shows
};

// 1 kgf/cm2 = 9.80665 N / 1e-4 m2 = 98066.5 Pa; 1 psi = 4.4482216152605 N / 6.4516e-4 m2.
inline constexpr double kPascalPerKgfPerCm2 = 98066.5;
inline constexpr double kPascalPerPsi = 4.4482216152605 / 6.4516e-4;

// Material data sheets give SI; the material fields hold the program's units. The calorie
// is the International Table calorie, 4.1868 J, as in the material library's conversions.
inline constexpr double kJoulePerCal = 4.1868;
// 1 gf.cm = 9.80665e-3 N * 1e-2 m.
inline constexpr double kJoulePerGfCm = 9.80665e-5;

// One set of factors from viscous work to heat to power: each a multiplier.
struct EnergyUnits {
  double workToHeat;      // gf.cm to cal
  double calPerSecToKW;   // cal/s to kW
  double gfCmPerSecToKW;  // gf.cm/s to kW
};
// The classic results file's own.
inline constexpr EnergyUnits kClassicEnergyUnits{kWorkToHeat, kCalPerSecToKW, kGfCmPerSecToKW};
// Every other calculation's (the consistent model, the pellet screw): one calorie, the
// material fields' own, and the standard gram-force, so that the work that heats the melt,
// the heat and the pressure power close in one balance.
inline constexpr EnergyUnits kEnergyUnits{kJoulePerGfCm / kJoulePerCal, kJoulePerCal / 1000, kJoulePerGfCm / 1000};

// 1 gf.s/cm2 = 9.80665e-3 N.s / 1e-4 m2: Pa.s values are divided by this.
inline constexpr double kPascalSecondPerGfSecondPerCm2 = kPascalPerKgfPerCm2 / kGfPerKgf;
// 1 cal/(g.C) = 4186.8 J/(kg.K): J/(kg.K) values are divided by this.
inline constexpr double kJoulePerKgKPerCalPerGC = kJoulePerCal * 1000;
// 1 cal/(cm.s.C) = 418.68 W/(m.K): W/(m.K) values are divided by this.
inline constexpr double kWattPerMKPerCalPerCmSC = kJoulePerCal * 100;
// 1 g/cm3 = 1000 kg/m3: kg/m3 values are divided by this.
inline constexpr double kKgPerM3PerGPerCm3 = 1000;

// The one table of pressure units, for the command line and the window alike.
inline constexpr std::array<PressureUnit, 4> kPressureUnits{{
    {"kgf/cm2", 1, 2},
    {"MPa", kPascalPerKgfPerCm2 / 1e6, 3},
    {"bar", kPascalPerKgfPerCm2 / 1e5, 2},
    {"psi", kPascalPerKgfPerCm2 / kPascalPerPsi, 1},
}};
inline constexpr const PressureUnit& kKgfPerCm2 = kPressureUnits[0];

// A pressure in kgf/cm2 in `unit`; in kgf/cm2 itself the very same double.
constexpr double InPressureUnit(double kgfPerCm2, const PressureUnit& unit) { return kgfPerCm2 * unit.perKgfPerCm2; }

// The unit of that name, capitals or not ("mpa" is MPa).
constexpr std::optional<PressureUnit> FindPressureUnit(std::string_view name) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  for (const PressureUnit& unit : kPressureUnits) {
    bool same = unit.name.size() == name.size();
    for (std::size_t i = 0; same && i < name.size(); ++i) same = lower(unit.name[i]) == lower(name[i]);
    if (same) return unit;
  }
  return std::nullopt;
}

}  // namespace kelvado
