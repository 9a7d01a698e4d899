// SPDX-License-Identifier: Apache-2.0
#include "screw/pool_flow.h"

#include <cmath>

#include "solver/calc_state.h"
#include "solver/consistent_flow.h"
#include "solver/grid.h"
#include "solver/operating.h"
#include "solver/services.h"
#include "solver/units.h"

namespace kelvado {

PoolFlow::PoolFlow(const InputTexts& drivenInputs, char decimalSeparator) : state_(std::make_unique<CalcState>()) {
  CalcState& s = *state_;
  QuietServices quiet;
  ReadInputData(s, drivenInputs, decimalSeparator, quiet);
  ComputeOperatingConditions(s);
  PrepareGridAndProfiles(s);
}

PoolFlow::~PoolFlow() = default;

std::optional<PoolFlow::Field> PoolFlow::Solve(double depth, double width, double volumeRate, double temp,
                                               double helixAngle) {
  CalcState& s = *state_;
  s.ChannelDepth = depth;
  s.StepY = depth / s.NDiv;
  s.ChannelWidth = width;
  s.VolumeRate = volumeRate;
  s.HelixAngle = helixAngle;
  s.BarrelSpeedZ = std::cos(helixAngle) * s.BarrelSpeed;
  s.BarrelSpeedX = std::sin(helixAngle) * s.BarrelSpeed;
  for (int j = 0; j <= s.NDiv; ++j) s.Temp[j] = temp;
  if (!SolveConsistentFlowField(s)) return std::nullopt;
  // Viscous work per unit volume, eta |shear rate|^2, over the depth by the trapezoid rule.
  double work = 0;
  for (int j = 0; j <= s.NDiv; ++j) {
    const double w = s.Viscosity[j] * (s.ShearZ[j] * s.ShearZ[j] + s.ShearX[j] * s.ShearX[j]);
    work += (j == 0 || j == s.NDiv ? 0.5 : 1.0) * w;
  }
  return Field{s.PressGradZ, work * s.StepY * width * kEnergyUnits.workToHeat};
}

}  // namespace kelvado
