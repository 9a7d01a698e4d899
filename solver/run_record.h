// SPDX-License-Identifier: Apache-2.0
#pragma once
// What a run keeps for its front ends: every down-channel step (the results file shows only
// every fourth) and the profiles at the outlet.
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "solver/units.h"

namespace kelvado {

struct CalcState;

struct StepRecord {
  std::int32_t Step = 0;      // 0, 1, 2, ...: the StepCount the step began with
  double Turns = 0;           // position at the start of the step, in screw turns
  double AvgTemp = 0;         // C
  double MixingDegree = 0;    // -
  double WallCooling = 0;     // cal/s
  double EnthalpyDiff = 0;    // cal/s
  double PowerInput = 0;      // cal/s
  double Pressure = 0;        // gf/cm2
  std::int32_t ClosureIter = 0;
  double PressGradZ = 0;      // gf/cm3
  double PressGradX = 0;      // gf/cm3
  std::int32_t Zone = 0;      // of a screw of zones, from 1; 0 without zones
  double Depth = 0;           // cm, the channel depth of the step's section
};

struct OutletNode {
  double Depth = 0;           // cm from the screw root
  double Temp = 0;            // C
  double Viscosity = 0;       // gf s/cm2
  double VelZ = 0;            // cm/s
  double VelX = 0;            // cm/s
  double ShearRate = 0;       // 1/s
};

// The operating conditions the inputs lead to.
struct OperatingRecord {
  double MassRate = 0;       // g/s
  double VolumeRate = 0;     // cm3/s
  double HelixAngle = 0;     // rad
  double ChannelWidth = 0;   // cm
  double RevPerSec = 0;      // 1/s
  double Rpm = 0;            // 1/min
  double BarrelSpeed = 0;    // cm/s
  double BarrelSpeedZ = 0;   // cm/s
  double BarrelSpeedX = 0;   // cm/s
  double ChannelLength = 0;  // cm
  double StepZ = 0;          // cm
  double StepY = 0;          // cm
};

// How many down-channel steps a run keeps: none unless asked, since a long channel has
// millions of them.
inline constexpr std::size_t kKeepNoSteps = 0;
inline constexpr std::size_t kKeepEverySteps = static_cast<std::size_t>(-1);

// A zone of a screw of zones as the run went through it: its section and what it reached at
// its end.
struct ZoneRecord {
  double StartTurns = 0, EndTurns = 0;
  double DepthFrom = 0, DepthTo = 0;  // cm
  double Pitch = 0, FlightWidth = 0;  // cm
  double BarrelTemp = 0;              // C
  double EndPressure = 0;             // kgf/cm2
  double EndMeanTemp = 0;             // C
};

struct RunRecord {
  OperatingRecord operating;       // set once the operating conditions are derived
  std::vector<StepRecord> steps;   // as many as asked for; see KeepStep
  std::vector<OutletNode> outlet;  // empty unless the run finished
  std::vector<ZoneRecord> zones;   // the zones passed, for a screw of zones
  // Of a partly filled channel: the stretches, from turn to turn, where it ran starved.
  std::vector<std::pair<double, double>> starvedTurns;
  std::int32_t keptStride = 1;     // every this many steps is kept while thinning
  // The run's own factor from its heat flows (cal/s) to kW: the classic model's or the one
  // calorie of every other calculation, so that a plot of the powers reads as its summary.
  double calPerSecToKW = kCalPerSecToKW;
};

// Keeps `step` within `limit` steps: all of them while they fit, then evenly thinned (every
// other kept step dropped and the stride doubled whenever the limit is reached). The first
// step is always kept; KeepLastStep adds the final one.
void KeepStep(RunRecord& record, const StepRecord& step, std::size_t limit);
void KeepLastStep(RunRecord& record, const StepRecord& step, std::size_t limit);

// The values of the step AdvanceEnergyStep has just evaluated, which began at `step`.
StepRecord RecordStep(const CalcState& state, std::int32_t step);
OperatingRecord RecordOperating(const CalcState& state);
// The outlet profiles the results file reports.
std::vector<OutletNode> RecordOutlet(const CalcState& state);

}  // namespace kelvado
