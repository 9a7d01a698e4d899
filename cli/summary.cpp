// SPDX-License-Identifier: Apache-2.0
#include "cli/summary.h"

#include <string>

#include "report/number_format.h"

namespace kelvado::cli {

void WriteSummary(std::ostream& out, const OutletSummary& s, char separator, const PressureUnit& pressureUnit) {
  struct Row {
    const char* label;
    double value;
    int precision;
    int digits;
    std::string_view unit;
  };
  const Row rows[] = {
      {"Screw speed", s.Rpm, 6, 2, "rpm"},
      {"Average temperature", s.AvgTemp, 6, 2, "\u00B0C"},
      {"Mixing degree", s.MixingDegree, 9, 3, ""},
      {"Total power", s.TotalPowerKW, 8, 3, "kW"},
      {"Enthalpy difference", s.EnthalpyDiffKW, 8, 3, "kW"},
      {"Power for pressure rise", s.PressurePowerKW, 8, 3, "kW"},
      {"Cooling (1)", s.Cooling1KW, 8, 3, "kW"},
      {"Cooling (2)", s.Cooling2KW, 8, 3, "kW"},
      {"Outlet pressure", InPressureUnit(s.OutletPressure, pressureUnit), 8, pressureUnit.decimals, pressureUnit.name},
  };
  constexpr std::size_t kLabelWidth = 25;
  constexpr std::size_t kValueWidth = 10;
  for (const Row& row : rows) {
    std::string line = row.label;
    line.resize(kLabelWidth, ' ');
    const std::string value = FormatFixed(row.value, row.precision, row.digits, separator);
    if (value.size() < kValueWidth) line.append(kValueWidth - value.size(), ' ');
    line += value;
    if (!row.unit.empty()) {
      line += ' ';
      line += row.unit;
    }
    out << line << '\n';
  }
}

}  // namespace kelvado::cli
