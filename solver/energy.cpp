// SPDX-License-Identifier: Apache-2.0
#include "solver/energy.h"

#include <cmath>
#include <cstdint>

#include "solver/calc_state.h"
#include "solver/fp_fault.h"
#include "solver/lin_eq.h"
#include "solver/results_sink.h"
#include "solver/units.h"

namespace kelvado {
namespace {

void EvaluateStepIntegrals(CalcState& s) {
  const int N = s.NDiv;
  const double dy = s.StepY;
  const double dz = s.StepZ;
  const double W = s.ChannelWidth;
  const double k = s.Conductivity;
  const double sinTheta = std::sin(s.HelixAngle);
  const double cosTheta = std::cos(s.HelixAngle);

  for (int j = 0; j <= N; ++j) s.AxialVel[j] = sinTheta * s.VelZ[j] - cosTheta * s.VelX[j];

  // Mixing-cup mean temperature of the entering profile, by the Simpson rule.
  const int m = N / 2;
  double s4 = 0, s4v = 0;
  for (int j = 1; j <= 2 * m - 1; j += 2) {
    s4 = s4 + (s.AxialVel[j] * s.Temp[j]) * 4.0;
    s4v = s4v + s.AxialVel[j] * 4.0;
  }
  double s2 = 0, s2v = 0;
  for (int j = 2; j <= 2 * m - 2; j += 2) {
    s2 = s2 + (s.AxialVel[j] * s.Temp[j]) * 2.0;
    s2v = s2v + s.AxialVel[j] * 2.0;
  }
  s.AxialFlowTemp =
      ((((s.AxialVel[0] * s.Temp[0]) + s4) + s2) + s.AxialVel[N] * s.Temp[N]) * (dy / 3.0);
  s.AxialFlow = (((s.AxialVel[0] + s4v) + s2v) + s.AxialVel[N]) * (dy / 3.0);
  s.AvgTemp = s.AxialFlowTemp / s.AxialFlow;
  if (s.InletTempSet < 0) {
    s.InletAvgTemp = s.AvgTemp;
    s.InletTempSet = 1.0;
  }

  for (int j = 0; j <= N; ++j) {
    s.ShearRate[j] = std::sqrt(s.ShearZ[j] * s.ShearZ[j] + s.ShearX[j] * s.ShearX[j]);
  }
  for (int i = 1; i <= N; ++i) {
    s.MidShearRate = (s.ShearRate[i - 1] + s.ShearRate[i]) / 2.0;
    s.MixingDegree = ((((s.MidShearRate * dz) * dy) * W) / s.VolumeRate) + s.MixingDegree;
  }

  // Three-point one-sided differences; both positive when the melt is hotter than the wall.
  s.WallGradRoot = ((-3.0 * s.Temp[0] + 4.0 * s.Temp[1]) - s.Temp[2]) / (2.0 * dy);
  s.WallGradBarrel = ((-3.0 * s.Temp[N] + 4.0 * s.Temp[N - 1]) - s.Temp[N - 2]) / (2.0 * dy);
  s.WallCooling = ((((s.WallGradRoot + s.WallGradBarrel) * k) * W) * dz) + s.WallCooling;

  s.EnthalpyDiff = (s.MassRate * s.SpecificHeat) * (s.AvgTemp - s.InletAvgTemp);
  s.PowerInput =
      ((((((s.ShearZ[N] * s.VelZ[N]) + (s.ShearX[N] * s.VelX[N])) * s.Viscosity[N]) * W) * dz) *
       kWorkToHeat) +
      s.PowerInput;
  s.Pressure = (s.PressGradZ * dz) + s.Pressure;
  s.Turns = TurnsAt(s, s.PosZ);
}

void SolveTemperatureStep(CalcState& s) {
  const int N = s.NDiv;
  const double dy = s.StepY;
  const double dz = s.StepZ;
  const auto& P = s.TempPrev;
  auto& T = s.Temp;

  T[0] = s.BarrelTemp;
  T[N] = s.BarrelTemp;
  for (int r = 1; r <= N - 1; ++r) {
    s.StressZ = s.Viscosity[r] * s.ShearZ[r];
    s.StressX = s.Viscosity[r] * s.ShearX[r];
    s.CondWork = s.Conductivity;
    s.ConvCoef[r] = (s.Density * s.SpecificHeat) * s.VelZ[r];
    s.SourceTerm[r] = -((s.StressZ * s.ShearZ[r]) + (s.StressX * s.ShearX[r])) * kWorkToHeat;
  }

  // Crank-Nicolson rows; the new wall values move to the right-hand side of the end rows.
  const double lambda = s.CondWork / ((2.0 * dy) * dy);
  auto diagonal = [&](int r) { return (-s.ConvCoef[r] / dz) - s.CondWork / (dy * dy); };
  auto& A = s.Matrix;
  A[1][1] = diagonal(1);
  A[1][2] = lambda;
  s.Rhs[1] = (s.SourceTerm[1] - (s.ConvCoef[1] * P[1]) / dz) -
             lambda * ((((P[2] - 2.0 * P[1]) + P[0]) + T[0]));
  for (int r = 2; r <= N - 2; ++r) {
    A[r][r - 1] = lambda;
    A[r][r] = diagonal(r);
    A[r][r + 1] = lambda;
    s.Rhs[r] = (s.SourceTerm[r] - (s.ConvCoef[r] * P[r]) / dz) -
               lambda * ((P[r + 1] - 2.0 * P[r]) + P[r - 1]);
  }
  A[N - 1][N - 2] = lambda;
  A[N - 1][N - 1] = diagonal(N - 1);
  s.Rhs[N - 1] = (s.SourceTerm[N - 1] - (s.ConvCoef[N - 1] * P[N - 1]) / dz) -
                 lambda * ((((P[N] - 2.0 * P[N - 1]) + P[N - 2]) + T[N]));

  GaussSolve(s.Matrix, s.Rhs, s.Solution, static_cast<std::uint8_t>(s.InteriorCount));
  for (int r = 1; r <= N - 1; ++r) T[r] = s.Solution[r];
}

}  // namespace

SinkWrite AdvanceEnergyStep(CalcState& s, ResultsSink& sink) {
  s.ChannelEnd = 0;
  EvaluateStepIntegrals(s);
  CheckFaultFlags("the pressure and power of the step");

  if (s.StepCount % 4 == 0) {
    SinkWrite line = sink.WriteTurnLine(s);
    if (line.result != SinkWrite::Result::Written) return line;
  }

  SolveTemperatureStep(s);
  CheckFaultFlags("the energy step");

  s.PosZ = s.PosZ + s.StepZ;
  if (s.ChannelLength + 0.01 * s.StepZ < s.PosZ) {
    s.ChannelEnd = 1;
    return {};
  }
  s.TempPrev = s.Temp;  // nodes beyond NDiv are never read, so the whole copy is harmless
  s.StepCount = s.StepCount + 1;
  return {};
}

}  // namespace kelvado
