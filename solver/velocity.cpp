// SPDX-License-Identifier: Apache-2.0
#include "solver/velocity.h"

#include <cmath>

#include "solver/calc_state.h"
#include "solver/fp_fault.h"
#include "solver/services.h"
#include "solver/velocity_pass.h"

namespace kelvado {
namespace {

// One pass: piecewise parabolas, one per interval at the interval's mean viscosity, with
// shear rate and velocity continuous across every node.
void IntegrateAcrossDepth(CalcState& s) { IntegrateAcrossDepthInLanes(s); }

// Fixed steps until the error has been seen with both signs, then false position.
// The same for both directions; the scratch line is shared, as the state defines it.
void MoveRootShear(CalcState& s, double err, double& errPos, double& errNeg, double& rootPos,
                   double& rootNeg, double& rootNext, double& rootShear, double step) {
  if (err < 0) {
    errNeg = err;
    rootNeg = rootShear;
    rootNext = rootShear - step;
  } else if (err > 0) {
    errPos = err;
    rootPos = rootShear;
    rootNext = rootShear + step;
  }
  if (errPos * errNeg >= 0) {
    rootShear = rootNext;
    return;
  }
  // Both markers still in place (an exact zero on the first pass): this call holds no
  // bracket to interpolate in, so the root shear rate stays where it is.
  if (errPos == -1.0 && errNeg == 1.0) return;
  s.SecantSlope = (errPos - errNeg) / (rootPos - rootNeg);
  s.SecantIntercept = errPos - s.SecantSlope * rootPos;
  rootNext = -s.SecantIntercept / s.SecantSlope;
  rootShear = rootNext;
}

}  // namespace

StageEnd FitVelocityProfiles(CalcState& s, RunServices& services) {
  const double vbz = s.BarrelSpeedZ;
  const double vbx = s.BarrelSpeedX;
  s.VelocityDone = 0;
  s.VelocityFailed = 0;
  s.VelocityPasses = 0;
  while (s.VelocityDone != 1) {
    IntegrateAcrossDepth(s);
    ++s.VelocityPasses;
    ++s.TotalVelocityPasses;
    ++s.StepVelocityPasses;
    CheckFaultFlags("the velocity profiles");
    if (std::fabs((vbz - s.VelZ[s.NDiv]) / vbz) < 0.01 &&
        std::fabs((vbx - s.VelX[s.NDiv]) / vbx) < 0.01) {
      s.VelocityDone = 1;
      return StageEnd::Done;
    }
    if (s.VelocityPasses >= kVelocityPassCap || s.StepVelocityPasses >= kStepVelocityPassCap) {
      s.VelocityFailed = 1;
      return StageEnd::Done;
    }
    if (services.CancelRequested()) return StageEnd::Cancelled;
    s.SpeedErrZ = vbz - s.VelZ[s.NDiv];
    s.SpeedErrX = vbx - s.VelX[s.NDiv];
    MoveRootShear(s, s.SpeedErrZ, s.SpeedErrZPos, s.SpeedErrZNeg, s.RootShearZPos,
                  s.RootShearZNeg, s.RootShearZNext, s.ShearZ[0], s.RootShearStepZ);
    MoveRootShear(s, s.SpeedErrX, s.SpeedErrXPos, s.SpeedErrXNeg, s.RootShearXPos,
                  s.RootShearXNeg, s.RootShearXNext, s.ShearX[0], s.RootShearStepX);
  }
  return StageEnd::Done;
}

}  // namespace kelvado
