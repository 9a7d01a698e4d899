// SPDX-License-Identifier: Apache-2.0
#pragma once
// A screw fed with pellets, from the hopper to the screw's end at a given output and speed:
// the solids stage conveys the plug until the barrel is hotter than the melting temperature,
// the melting stage melts the bed while a melt pool grows beside it, and the melt stage (the
// consistent model's run over the zones that are left) takes over where the bed is gone.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "plastication/pellet_inputs.h"
#include "solver/run.h"

namespace kelvado {

enum class ScrewStage { Solids, Melting, Melt };
const char* ScrewStageName(ScrewStage stage);  // "solids", "melting", "melt"

// One place along the whole screw, whatever stage it is in.
struct ScrewStep {
  double turn = 0;
  ScrewStage stage = ScrewStage::Solids;
  double solidBedRatio = 1;            // X/W: 1 full of solid, 0 melted
  double pressure = 0;                 // kgf/cm2
  std::optional<double> meanMeltTemp;  // C, of the melt there is; none in the solids stage
  std::optional<double> filmThickness; // cm, while melting
};

// The energy of the whole screw, kW: what the barrel and the viscous work put in against the
// rise of the polymer's enthalpy from the pellets to the melt at the screw's end (the heat of
// fusion included). The plug's friction heat goes to the barrel in the isothermal solids
// model, so it is counted in neither.
struct ScrewEnergy {
  double barrelHeat = 0;
  double viscousWork = 0;
  double enthalpyRise = 0;
  // (barrel heat + viscous work - enthalpy rise) over the largest of the three.
  double Mismatch() const;
};

struct Plastication {
  double output = 0;            // kg/hr
  double noPressureOutput = 0;  // kg/hr: what the feed conveys against no pressure rise
  std::optional<double> conveyingAngleDeg;  // of the plug at the hopper
  double peakSolidsPressure = 0;            // kgf/cm2
  double peakSolidsPressureTurn = 0;
  std::optional<double> meltingStartTurn;
  std::optional<double> meltingEndTurn;     // none where the bed reaches the screw's end
  double unmeltedAtEnd = 0;                 // X/W at the screw's end
  std::vector<std::pair<double, double>> starvedTurns;
  std::string limitedBy = "output given";   // or "die", "feed" for a flood-fed screw
  double maxBrinkman = 0;                   // of the melt film
  double solidsFrictionKW = 0;              // drive power the barrel's friction on the plug takes
  double meltingKW = 0;                     // viscous work in the film and the pool
  double meltConveyingKW = 0;               // the melt stage's total power
  ScrewEnergy energy;
};

struct PelletRequest {
  RunRequest run;  // the case: fields, zones, the consistent model, the results file
  double rpm = 0;
  PelletInputs pellet;
};

struct PelletOutcome {
  // Status, message and warnings; the melt stage's record (turns from where it begins) and
  // its outlet summary.
  RunOutcome run;
  std::vector<ScrewStep> profile;
  Plastication plastication;
};

namespace messages {
inline constexpr const char* kPelletsNeedConsistentModel =
    "A screw fed with pellets needs the consistent flow model (--flow-model consistent); change and try again!";
}  // namespace messages

PelletOutcome RunPelletScrew(const PelletRequest& request, RunServices& services);

// What the feed conveys against no pressure rise, kg/hr: the ceiling of a flood-fed screw's
// output. Zero where the case's fields or the pellets' values can not be read or convey nothing.
double FeedCeiling(const PelletRequest& request);

}  // namespace kelvado
