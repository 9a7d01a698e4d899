// SPDX-License-Identifier: Apache-2.0
#pragma once
// The screw laid out in turns from the hopper, zone by zone, in the program's units: what the
// solids and melting stages need of the zones (the melt stage reads the zones themselves).
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "solver/screw_zones.h"

namespace kelvado {

struct ScrewSpan {
  double startTurn = 0, endTurn = 0;
  double depthFrom = 0, depthTo = 0;  // cm, linear in turns between them
  double pitch = 0, flightWidth = 0;  // cm
  double barrelTemp = 0;              // C
  ScrewZone zone;                     // as given, for the melt stage's zones
};

struct ScrewSections {
  double barrelDiameter = 0;  // cm
  std::vector<ScrewSpan> spans;

  double Turns() const { return spans.empty() ? 0 : spans.back().endTurn; }
  // The span a turn lies in (the last one at the screw's end).
  const ScrewSpan& SpanAt(double turn) const;
  double DepthAt(double turn) const;
  // The first turn where the barrel is hotter than `temp`: a span's start; none where no
  // barrel is.
  std::optional<double> FirstTurnHotterThan(double temp) const;
  // The zones from `turn` to the screw's end, the one it falls in cut there (a compression
  // zone's depth taken at the cut).
  std::vector<ScrewZone> ZonesFrom(double turn) const;
};

// The zones of the case, or its one channel (L/D turns of the channel depth) as one zone;
// the fields a zone leaves out from the case's numbers.
ScrewSections LayOutScrew(const std::vector<ScrewZone>& zones, double barrelDiameter, double lengthRatio,
                          double channelDepth, double pitch, double flightWidth, double barrelTemp);

}  // namespace kelvado
