// SPDX-License-Identifier: Apache-2.0
#pragma once
// The calculation state of one run: everything the stages read and write.
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "solver/lin_eq.h"

namespace kelvado {

struct ZonePlan;

inline constexpr int kProfileSize = 101;
using Profile = std::array<double, kProfileSize>;

// The viscosity law's temperature factor exp(-b (T - T0)) of each node, kept with the
// temperature, T0 and b it was computed for (UpdateViscosity reuses it while they hold).
struct TemperatureFactors {
  Profile temp{};
  Profile factor{};
  std::array<std::uint8_t, kProfileSize> known{};
  double stdTemp = 0;
  double tempCoeff = 0;
  bool valid = false;
};

struct CalcState {
  // Input values, read from the seventeen fields in this order.
  double BarrelDiameter = 0;  // cm
  double LengthRatio = 0;     // L/D, also the number of turns marched
  double ChannelDepth = 0;    // cm
  double ScrewPitch = 0;      // cm
  double FlightWidth = 0;     // cm
  double OutputRate = 0;      // kg/h
  double FlowRateRatio = 0;   // qd = Q / (W H Vbz)
  double Density = 0;         // g/cm3
  double SpecificHeat = 0;    // cal/(g C)
  double Conductivity = 0;    // cal/(cm s C)
  double InletTemp = 0;       // C
  double BarrelTemp = 0;      // C
  double StdViscosity = 0;    // gf s/cm2
  double StdShearRate = 0;    // 1/s
  double StdTemp = 0;         // C
  double PowerIndex = 0;      // n
  double TempCoeff = 0;       // b, 1/C
  std::uint8_t InputValid = 0;
  std::int32_t InvalidField = -1;  // the first field that could not be used, in field order

  // Operating conditions.
  double MassRate = 0;      // g/s
  double VolumeRate = 0;    // cm3/s
  double HelixAngle = 0;    // rad
  double ChannelWidth = 0;  // cm
  double RevPerSec = 0;
  double Rpm = 0;
  double BarrelSpeed = 0;   // cm/s
  double BarrelSpeedZ = 0;
  double BarrelSpeedX = 0;
  double ChannelLength = 0; // cm
  double StepZ = 0;         // cm
  std::int32_t NDiv = 0;
  double StepY = 0;         // cm
  double ProfA = 0;
  double ProfB = 0;
  std::int32_t ProbeQ1 = 0;
  std::int32_t ProbeQ2 = 0;
  std::int32_t ProbeQ3 = 0;
  double CrossFlowTol = 0;  // cm2/s

  // Depth-grid counts.
  std::int32_t NNodes = 0;
  std::int32_t InteriorCount = 0;
  std::int32_t InteriorCountLess1 = 0;

  // Profiles across the depth, node j in slot j.
  Profile Temp{};
  Profile TempPrev{};
  Profile Viscosity{};
  Profile ViscosityOld{};
  Profile VelZ{};
  Profile VelX{};
  Profile ShearZ{};
  Profile ShearX{};
  Profile ShearRate{};
  Profile AxialVel{};
  Profile ConvCoef{};
  Profile SourceTerm{};

  // Temperature system, 1-based.
  LinMatrix Matrix{};
  LinVector Rhs{};
  LinVector Solution{};

  // Initial set-up and search steps.
  double NominalShear = 0;
  double PressStepZ = 0;
  double PressStepX = 0;
  double RootShearStepZ = 0;
  double RootShearStepX = 0;

  // Root shear-rate shooting.
  double RootShearZNext = 0;
  double RootShearXNext = 0;
  double SpeedErrZ = 0;
  double SpeedErrX = 0;
  double SpeedErrZPos = 0;
  double RootShearZPos = 0;
  double SpeedErrZNeg = 0;
  double RootShearZNeg = 0;
  double SpeedErrXPos = 0;
  double RootShearXPos = 0;
  double SpeedErrXNeg = 0;
  double RootShearXNeg = 0;
  std::uint8_t VelocityDone = 0;
  // Set when one shooting call runs past its pass cap; the inner loop then gives up.
  std::uint8_t VelocityFailed = 0;
  std::int32_t VelocityPasses = 0;  // passes of the last call
  std::int64_t StepVelocityPasses = 0;  // passes of the current down-channel step

  // Viscosity iteration.
  std::int32_t InnerIter = 0;
  std::uint8_t InnerDone = 0;
  std::uint8_t InnerFailed = 0;

  // Flow-rate closure.
  double PressGradZ = 0;  // gf/cm3
  double PressGradX = 0;
  double PressGradZNext = 0;
  double PressGradXNext = 0;
  double CrossFlow = 0;
  double FlowRateZ = 0;
  double FlowRateErr = 0;
  double CrossResPos = 0;
  double CrossGradPos = 0;
  double CrossResNeg = 0;
  double CrossGradNeg = 0;
  double FlowResPos = 0;
  double FlowGradPos = 0;
  double FlowResNeg = 0;
  double FlowGradNeg = 0;
  std::int32_t BracketAge = 0;
  std::int32_t ClosureIter = 0;
  std::uint8_t ClosureDone = 0;
  std::uint8_t ClosureFailed = 0;

  // Down-channel march and its accumulators.
  double PosZ = 0;
  std::int32_t StepCount = 0;
  double Turns = 0;
  std::uint8_t ChannelEnd = 0;
  double AvgTemp = 0;
  double InletAvgTemp = 0;
  double InletTempSet = 0;
  double AxialFlow = 0;
  double AxialFlowTemp = 0;
  double WallGradRoot = 0;
  double WallGradBarrel = 0;
  double WallCooling = 0;
  double MixingDegree = 0;
  double PowerInput = 0;
  double EnthalpyDiff = 0;
  double Pressure = 0;

  // The consistent model's flow field between the nodes: its root stresses and the shear
  // rates at its three Gauss points of every depth interval (interval i in slots 3i..3i+2).
  double RootStressZ = 0;  // gf/cm2
  double RootStressX = 0;
  std::array<double, 3 * (kProfileSize - 1)> GaussShearZ{};
  std::array<double, 3 * (kProfileSize - 1)> GaussShearX{};
  // The temperatures at those Gauss points, where the orbits set them (GaussTempSet 1); the
  // flow field takes them in place of the line between the interval's nodes.
  std::array<double, 3 * (kProfileSize - 1)> GaussTemp{};
  std::uint8_t GaussTempSet = 0;

  // The consistent model's energy balance: one temperature per orbit cell of the
  // cross-channel circulation, cell 1 along the walls, cell kOrbitCells round its centre.
  Profile OrbitTemp{};
  // The flow down the channel (cm3/s) that carried each orbit cell's temperature over the
  // last step: the mean temperature's weights, and where the next step's flows start from.
  Profile OrbitFlow{};
  std::uint8_t OrbitsStarted = 0;
  // The consistent model sums the pressure by the trapezoid rule: the last step's gradient
  // and length, completed by the next step's gradient (a length of 0: nothing to complete).
  double LastPressGradZ = 0;  // gf/cm3
  double LastStepZ = 0;       // cm
  // Set by an energy step that could not march (an orbit carrying no flow down the
  // channel); the bounds check ends the run there.
  std::uint8_t MarchUnbounded = 0;

  // A screw of zones (see solver/screw_zones.h): the plan, null for the case's one channel;
  // the zone of the current step, where it starts, and whether the step is its first.
  const ZonePlan* Zones = nullptr;
  std::int32_t ZoneIndex = -1;
  double ZoneStartTurns = 0;
  double ZoneStartZ = 0;
  std::uint8_t ZoneEntered = 0;
  // No temperature may fall below this (less the allowance): the lowest of the inlet and
  // every wall temperature.
  double LowestBoundTemp = 0;

  // Final results.
  double TotalPowerKW = 0;
  double EnthalpyDiffKW = 0;
  double PressurePowerKW = 0;
  double Cooling1KW = 0;
  double Cooling2KW = 0;
  double OutletPressure = 0;  // kgf/cm2

  // Run control.
  std::uint8_t FileOk = 0;
  double SavedPowerIndex = 0;
  std::uint8_t PowerIndexSubstituted = 0;

  // Scratch values of single steps.
  double PosY = 0;
  double ShearInvariant = 0;
  double ViscWork = 0;
  std::int32_t NodeIndex = 0;
  double ShearConstZ = 0;
  double VelConstZ = 0;
  double ShearConstX = 0;
  double VelConstX = 0;
  double SecantSlope = 0;
  double SecantIntercept = 0;
  double MidShearRate = 0;
  double StressZ = 0;
  double StressX = 0;
  double CondWork = 0;
  TemperatureFactors TempFactors;

  // Bookkeeping for benchmarks and front ends: work done by the run.
  std::int64_t TotalVelocityPasses = 0;
  std::int64_t TotalInnerPasses = 0;
  std::int64_t TotalClosurePasses = 0;
};

// The screw turns at `posZ` down the channel: from the current zone's start (the channel's
// start without zones), at the step's helix angle.
inline double TurnsAt(const CalcState& s, double posZ) {
  return s.ZoneStartTurns + (posZ - s.ZoneStartZ) / ((std::numbers::pi * s.BarrelDiameter) / std::cos(s.HelixAngle));
}

}  // namespace kelvado
