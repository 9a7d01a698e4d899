// SPDX-License-Identifier: Apache-2.0
#pragma once
// A screw fed with LDPE-like pellets, in the program's units, for the tests of its stages.
#include <string>
#include <vector>

#include "screw/pellet_screw.h"
#include "solver/input_fields.h"
#include "solver/units.h"

namespace kelvado::testing {

// A 6 cm barrel, square pitch, 0.6 cm flights; a Newtonian melt of 500 Pa s (n = 1, b = 0)
// unless changed; pellets at 25 C; the zones as given.
inline PelletRequest PelletCase(double output, double rpm, std::vector<ScrewZone> zones) {
  PelletRequest r;
  r.run.inputs = DefaultInputTexts();
  auto set = [&r](Field f, double v) { r.run.inputs[f] = ExactNumberText(v); };
  set(Field::BarrelDiameter, 6);
  set(Field::ScrewPitch, 6);
  set(Field::FlightWidth, 0.6);
  set(Field::ChannelDepth, zones.front().depthFrom);
  set(Field::OutputRate, output);
  set(Field::Density, 0.77);
  set(Field::SpecificHeat, 2500 / kJoulePerKgKPerCalPerGC);
  set(Field::Conductivity, 0.23 / kWattPerMKPerCalPerCmSC);
  set(Field::InletTemp, 25);
  set(Field::BarrelTemp, 180);
  set(Field::StdViscosity, 500 / kPascalSecondPerGfSecondPerCm2);
  set(Field::StdShearRate, 1);
  set(Field::StdTemp, 150);
  set(Field::PowerIndex, 1);
  set(Field::TempCoeff, 0);
  r.run.flowModel = FlowModel::Consistent;
  r.run.writeResultsFile = false;
  r.run.zones = std::move(zones);
  r.rpm = rpm;
  r.pellet[PelletField::BulkDensity] = 0.55;
  r.pellet[PelletField::SolidDensity] = 0.915;
  r.pellet[PelletField::SolidSpecificHeat] = 2300 / kJoulePerKgKPerCalPerGC;
  r.pellet[PelletField::MeltingTemp] = 110;
  r.pellet[PelletField::HeatOfFusion] = 130e3 / (kJoulePerCal * 1000);
  r.pellet[PelletField::BarrelFriction] = 0.45;
  r.pellet[PelletField::ScrewFriction] = 0.25;
  r.pellet[PelletField::HopperPressure] = 0.03;
  return r;
}

inline ScrewZone Zone(double turns, double from, double to, double barrelTemp) {
  ScrewZone z;
  z.turns = turns;
  z.depthFrom = from;
  z.depthTo = to;
  z.barrelTemp = barrelTemp;
  return z;
}

}  // namespace kelvado::testing
