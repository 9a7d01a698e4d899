// SPDX-License-Identifier: Apache-2.0
#pragma once
// The units the window shows pressures in: the core's table (solver/units.h) with the
// window's labels, decimals and remembered choice. The results file, the CSV and the JSON
// keep kgf/cm2. Power is shown in kW throughout.
#include <QString>
#include <array>
#include <optional>

#include "solver/units.h"

namespace display_units {

enum class PressureUnit { KgfPerCm2, MPa, Bar, Psi };

struct PressureUnitInfo {
  PressureUnit unit;
  const char* key;        // as the settings and the command line name it: "kgf/cm2", "MPa", ...
  const char16_t* label;  // as axes and texts show it
  int decimals;           // for a summary line: about the same resolution in every unit
};

// In the order of the core's kelvado::kPressureUnits, whose factors they use.
inline constexpr std::array<PressureUnitInfo, 4> kPressureUnits{{
    {PressureUnit::KgfPerCm2, "kgf/cm2", u"kgf/cm\u00b2", 1},
    {PressureUnit::MPa, "MPa", u"MPa", 3},
    {PressureUnit::Bar, "bar", u"bar", 1},
    {PressureUnit::Psi, "psi", u"psi", 0},
}};
static_assert(kPressureUnits.size() == kelvado::kPressureUnits.size());

constexpr const PressureUnitInfo& Info(PressureUnit unit) { return kPressureUnits[static_cast<std::size_t>(unit)]; }

inline QString Label(PressureUnit unit) { return QString::fromUtf16(Info(unit).label); }
// A pressure in kgf/cm2 in the unit.
inline double FromKgfPerCm2(double kgfPerCm2, PressureUnit unit) {
  return kelvado::InPressureUnit(kgfPerCm2, kelvado::kPressureUnits[static_cast<std::size_t>(unit)]);
}

// The unit with the key ("kgf/cm2", "MPa", "bar", "psi"; case ignored), if there is one.
std::optional<PressureUnit> FindPressureUnit(const QString& key);
// The keys, for messages: "kgf/cm2, MPa, bar, psi".
QString PressureUnitKeys();

// The unit the user chose last (kgf/cm2 until one was chosen), remembered across sessions.
PressureUnit RememberedPressureUnit();
void RememberPressureUnit(PressureUnit unit);

}  // namespace display_units
