#include "solver/viscosity.h"

#include <cmath>

#include "solver/calc_state.h"
#include "solver/fp_fault.h"
#include "solver/services.h"

namespace kelvado {

namespace {
constexpr int kInnerIterCap = 20000;
constexpr double kProbeTolerance = 0.012;
}  // namespace

double ViscosityLaw(CalcState& s, double shearZ, double shearX, double temp) {
  s.ShearInvariant = (shearZ * shearZ + shearX * shearX) / 4;
  const double shearRate = std::sqrt(4 * s.ShearInvariant);
  // The power of the shear rate goes through ln and exp, not pow.
  const double shearFactor =
      s.StdViscosity * std::exp((s.PowerIndex - 1) * std::log(shearRate / s.StdShearRate));
  return std::exp((temp - s.StdTemp) * (-s.TempCoeff)) * shearFactor;
}

void GiveUpInnerLoop(CalcState& s, RunServices& services) {
  s.InnerDone = 1;
  CheckFaultFlags();  // a fault, not non-convergence, if the numbers went bad
  services.ShowMessage(messages::kInnerNotConverged);
  s.InnerFailed = 1;
}

void UpdateViscosity(CalcState& s, RunServices& services) {
  s.InnerDone = 0;
  s.InnerFailed = 0;
  for (int j = 0; j <= s.NDiv; ++j) s.Viscosity[j] = ViscosityLaw(s, s.ShearZ[j], s.ShearX[j], s.Temp[j]);
  CheckFaultFlags();

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
