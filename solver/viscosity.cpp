// SPDX-License-Identifier: Apache-2.0
#include "solver/viscosity.h"

#include <cmath>

#include "solver/calc_state.h"
#include "solver/fp_fault.h"
#include "solver/services.h"

namespace kelvado {

namespace {
constexpr int kInnerIterCap = 20000;
constexpr double kProbeTolerance = 0.012;

// The law's two factors, each in its order of evaluation.
double ShearFactor(CalcState& s, double shearZ, double shearX) {
  s.ShearInvariant = (shearZ * shearZ + shearX * shearX) / 4;
  const double shearRate = std::sqrt(4 * s.ShearInvariant);
  // The power of the shear rate goes through ln and exp, not pow.
  return s.StdViscosity * std::exp((s.PowerIndex - 1) * std::log(shearRate / s.StdShearRate));
}

double TemperatureFactor(const CalcState& s, double temp) { return std::exp((temp - s.StdTemp) * (-s.TempCoeff)); }

// The temperature factor of every node, computed again only where its inputs have changed:
// the temperatures stay put through all the passes of a step, and the same exp of the same
// argument is the same number (the order of the law's calls does not change any value).
void RefreshTemperatureFactors(CalcState& s) {
  TemperatureFactors& f = s.TempFactors;
  if (!(f.valid && f.stdTemp == s.StdTemp && f.tempCoeff == s.TempCoeff)) {
    f.known.fill(0);
    f.stdTemp = s.StdTemp;
    f.tempCoeff = s.TempCoeff;
    f.valid = true;
  }
  for (int j = 0; j <= s.NDiv; ++j) {
    if (f.known[j] && f.temp[j] == s.Temp[j]) continue;
    f.temp[j] = s.Temp[j];
    f.factor[j] = TemperatureFactor(s, s.Temp[j]);
    f.known[j] = 1;
  }
}

}  // namespace

double ViscosityLaw(CalcState& s, double shearZ, double shearX, double temp) {
  const double shearFactor = ShearFactor(s, shearZ, shearX);
  return TemperatureFactor(s, temp) * shearFactor;
}

void GiveUpInnerLoop(CalcState& s, RunServices& services) {
  s.InnerDone = 1;
  CheckFaultFlags("the viscosity iteration");  // a fault, not non-convergence, if the numbers went bad
  services.ShowMessage(messages::kInnerNotConverged);
  s.InnerFailed = 1;
}

void UpdateViscosity(CalcState& s, RunServices& services) {
  s.InnerDone = 0;
  s.InnerFailed = 0;
  RefreshTemperatureFactors(s);
  for (int j = 0; j <= s.NDiv; ++j) {
    const double shearFactor = ShearFactor(s, s.ShearZ[j], s.ShearX[j]);
    s.Viscosity[j] = s.TempFactors.factor[j] * shearFactor;
  }
  CheckFaultFlags("the viscosity update");

  // Only three probe nodes decide, one node short of the quarter points.
  const int probes[3] = {s.ProbeQ1 - 1, s.ProbeQ2 - 1, s.ProbeQ3 - 1};
  bool settled = true;
  for (const int p : probes) {
    if (!(std::fabs((s.Viscosity[p] - s.ViscosityOld[p]) / s.Viscosity[p]) <= kProbeTolerance)) {
      settled = false;
      break;
    }
  }
  if (settled) {
    s.InnerDone = 1;
    return;
  }
  for (int j = 0; j <= s.NDiv; ++j) s.ViscosityOld[j] = s.Viscosity[j];
  s.InnerIter = s.InnerIter + 1;
  if (s.InnerIter > kInnerIterCap) GiveUpInnerLoop(s, services);
}

}  // namespace kelvado
