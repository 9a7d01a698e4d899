// SPDX-License-Identifier: Apache-2.0
#pragma once
// The output of a flood-fed screw: not an input, but the one at which the pressure built from
// the hopper through the solids, melting and melt stages meets the die's drop. The pressure at
// the screw's end falls with the output and the die's drop rises, so the crossing is found by
// bracketing the output below the feed's ceiling (what the solids convey against no pressure
// rise) and closing in by false position. Where the screw still builds more than the die needs
// at the ceiling, the output is the ceiling: limited by the feed. Where the solid bed plugs the
// channel above some output, the screw can not melt more: limited by melting.
#include <atomic>
#include <string>
#include <vector>

#include "screw/pellet_screw.h"
#include "solver/die.h"
#include "solver/operating_point.h"

namespace kelvado {

struct FloodFedRequest {
  PelletRequest screw;  // its output is the search's; no results file is written
  std::vector<DieSection> die;
};

struct FloodFedRun {
  double output = 0;      // kg/hr
  RunStatus status = RunStatus::NotRun;
  std::string message;
  double screwPressure = 0;  // kgf/cm2 at the screw's end
  double diePressure = 0;    // kgf/cm2 the die takes at the melt's temperature there
  double Residual() const { return screwPressure - diePressure; }
};

struct FloodFedResult {
  OperatingPointStatus status = OperatingPointStatus::ImproperInput;
  std::string message;
  double feedCeiling = 0;      // kg/hr
  std::string limitedBy;       // "die", "feed" or "melting"
  FloodFedRun point;
  PelletOutcome outcome;       // of the point's run
  DieFlow die;                 // at the point
  std::vector<FloodFedRun> runs;
};

FloodFedResult FindFloodFedOutput(const FloodFedRequest& request, const OperatingPointOptions& options = {});

}  // namespace kelvado
