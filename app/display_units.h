#pragma once
// The units the window shows pressures in. The results file, the CSV and the JSON keep
// kgf/cm2 (solver/units.h); these factors apply only to what the window and its report show.
// Power is shown in kW throughout.
#include <QString>
#include <array>
#include <optional>

namespace display_units {

enum class PressureUnit { KgfPerCm2, MPa, Bar, Psi };

struct PressureUnitInfo {
  PressureUnit unit;
  const char* key;        // as the settings and the command line name it: "kgf/cm2", "MPa", ...
  const char16_t* label;  // as axes and texts show it
  double perKgfPerCm2;    // one kgf/cm2 is this many of the unit: multiply by it
  int decimals;           // for a summary line: about the same resolution in every unit
};

// 1 kgf/cm2 = 9.80665 N / 1e-4 m2 = 98066.5 Pa; 1 psi = 4.4482216152605 N / 6.4516e-4 m2.
inline constexpr double kPascalPerKgfPerCm2 = 98066.5;
inline constexpr double kPascalPerPsi = 4.4482216152605 / 6.4516e-4;

inline constexpr std::array<PressureUnitInfo, 4> kPressureUnits{{
    {PressureUnit::KgfPerCm2, "kgf/cm2", u"kgf/cm\u00b2", 1.0, 1},
    {PressureUnit::MPa, "MPa", u"MPa", kPascalPerKgfPerCm2 / 1e6, 3},
    {PressureUnit::Bar, "bar", u"bar", kPascalPerKgfPerCm2 / 1e5, 1},
    {PressureUnit::Psi, "psi", u"psi", kPascalPerKgfPerCm2 / kPascalPerPsi, 0},
}};

constexpr const PressureUnitInfo& Info(PressureUnit unit) { return kPressureUnits[static_cast<std::size_t>(unit)]; }

inline QString Label(PressureUnit unit) { return QString::fromUtf16(Info(unit).label); }
// A pressure in kgf/cm2 in the unit.
inline double FromKgfPerCm2(double kgfPerCm2, PressureUnit unit) { return kgfPerCm2 * Info(unit).perKgfPerCm2; }

// The unit with the key ("kgf/cm2", "MPa", "bar", "psi"; case ignored), if there is one.
std::optional<PressureUnit> FindPressureUnit(const QString& key);
// The keys, for messages: "kgf/cm2, MPa, bar, psi".
QString PressureUnitKeys();

// The unit the user chose last (kgf/cm2 until one was chosen), remembered across sessions.
PressureUnit RememberedPressureUnit();
void RememberPressureUnit(PressureUnit unit);

}  // namespace display_units
