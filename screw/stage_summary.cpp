// SPDX-License-Identifier: Apache-2.0
#include "screw/stage_summary.h"

#include "report/number_format.h"
#include "screw/pellet_screw.h"

namespace kelvado {

std::string StageSummaryText(const Plastication& p, double pelletTemp, char separator) {
  std::string out;
  auto line = [&out](const std::string& text = {}) { out += text + "\r\n"; };
  auto value = [&](const std::string& caption, double number, int digits) {
    std::string label = "    " + caption;
    if (label.size() < 48) label.append(48 - label.size(), ' ');
    line(label + "=  " + FormatFixedWidth(number, 10, digits, separator));
  };
  line();
  line("    Stages of the screw, fed with pellets at " + FormatFixed(pelletTemp, 6, 1, separator) + " C");
  line();
  const double start = p.meltingStartTurn.value_or(-1);
  value("Output (kg/hr)", p.output, 2);
  value("Output at no solids pressure rise (kg/hr)", p.noPressureOutput, 2);
  if (p.conveyingAngleDeg) value("Conveying angle at the hopper (deg)", *p.conveyingAngleDeg, 2);
  value("Peak solids pressure (kgf/cm2)", p.peakSolidsPressure, 2);
  value("  at turn", p.peakSolidsPressureTurn, 2);
  if (start >= 0) value("Melting starts at turn", start, 2);
  if (p.meltingEndTurn) value("Melting ends at turn", *p.meltingEndTurn, 2);
  value("Unmelted at the screw's end (X/W)", p.unmeltedAtEnd, 3);
  for (const auto& [from, to] : p.starvedTurns) {
    line("    Starved (partly filled) from turn " + FormatFixed(from, 8, 2, separator) + " to turn " +
         FormatFixed(to, 8, 2, separator));
  }
  line("    Limited by: " + p.limitedBy);
  value("Solids conveying power (kW)", p.solidsFrictionKW, 3);
  value("Melting power (kW)", p.meltingKW, 3);
  value("Melt conveying power (kW)", p.meltConveyingKW, 3);
  value("Heat from the barrel (kW)", p.energy.barrelHeat, 3);
  value("Viscous work (kW)", p.energy.viscousWork, 3);
  value("Enthalpy rise, fusion included (kW)", p.energy.enthalpyRise, 3);
  return out;
}

}  // namespace kelvado
