#pragma once
// What a run keeps for its front ends: every down-channel step (the results file shows only
// every fourth) and the profiles at the outlet.
#include <array>
#include <cstdint>
#include <vector>

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
};

struct OutletNode {
  double Depth = 0;           // cm from the screw root
  double Temp = 0;            // C
  double Viscosity = 0;       // gf s/cm2
  double VelZ = 0;            // cm/s
  double VelX = 0;            // cm/s
  double ShearRate = 0;       // 1/s
};

struct RunRecord {
  std::vector<StepRecord> steps;
  std::vector<OutletNode> outlet;  // empty unless the run finished
};

// The values of the step AdvanceEnergyStep has just evaluated, which began at `step`.
StepRecord RecordStep(const CalcState& state, std::int32_t step);
// The outlet profiles the results file reports.
std::vector<OutletNode> RecordOutlet(const CalcState& state);

}  // namespace kelvado
