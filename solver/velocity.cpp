#include "solver/velocity.h"

#include <cmath>

#include "solver/calc_state.h"
#include "solver/lanes.h"
#include "solver/run_errors.h"
#include "solver/services.h"

namespace kelvado {
namespace {

// One pass: piecewise parabolas, one per interval at the interval's mean viscosity, with
// shear rate and velocity continuous across every node.
void IntegrateAcrossDepth(CalcState& s) {
  // Both directions at once, one lane each, the operations in the order of the formulas;
  // the running values stay in registers and the scratch lines get the last node's values.
  s.PosY = 0;
  s.VelZ[0] = 0;
  s.VelX[0] = 0;
  const Lanes g = LanesOf(s.PressGradZ, s.PressGradX);
  Lanes shear = LanesOf(s.ShearZ[0], s.ShearX[0]);
  Lanes vel = LanesOf(s.VelZ[0], s.VelX[0]);
  Lanes shearConst = LanesOf(s.ShearConstZ, s.ShearConstX);
  Lanes velConst = LanesOf(s.VelConstZ, s.VelConstX);
  double posY = s.PosY;
  double eta = s.ViscWork;
  const double stepY = s.StepY;
  double viscosity = s.Viscosity[0];
  for (int i = 1; i <= s.NDiv; ++i) {
    const Lanes y = BothLanes(posY);
    const double nextViscosity = s.Viscosity[i];
    eta = (viscosity + nextViscosity) / 2;
    viscosity = nextViscosity;
    const Lanes etaLanes = BothLanes(eta);
    const Lanes twoEta = BothLanes(2 * eta);
    const Lanes gy = g * y;
    shearConst = shear - gy / etaLanes;
    velConst = (vel - gy * y / twoEta) - shearConst * y;
    posY = posY + stepY;
    const Lanes y1 = BothLanes(posY);
    const Lanes gy1 = g * y1;
    vel = (gy1 * y1 / twoEta + shearConst * y1) + velConst;
    shear = gy1 / etaLanes + shearConst;
    s.VelZ[i] = Down(vel);
    s.VelX[i] = Cross(vel);
    s.ShearZ[i] = Down(shear);
    s.ShearX[i] = Cross(shear);
  }
  if (s.NDiv >= 1) s.NodeIndex = s.NDiv;
  s.PosY = posY;
  s.ViscWork = eta;
  s.ShearConstZ = Down(shearConst);
  s.ShearConstX = Cross(shearConst);
  s.VelConstZ = Down(velConst);
  s.VelConstX = Cross(velConst);
}

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

void FitVelocityProfiles(CalcState& s, RunServices& services) {
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
    CheckFaultFlags();
    if (std::fabs((vbz - s.VelZ[s.NDiv]) / vbz) < 0.01 &&
        std::fabs((vbx - s.VelX[s.NDiv]) / vbx) < 0.01) {
      s.VelocityDone = 1;
      return;
    }
    if (s.VelocityPasses >= kVelocityPassCap || s.StepVelocityPasses >= kStepVelocityPassCap) {
      s.VelocityFailed = 1;
      return;
    }
    if (services.CancelRequested()) throw RunCancelled();
    s.SpeedErrZ = vbz - s.VelZ[s.NDiv];
    s.SpeedErrX = vbx - s.VelX[s.NDiv];
    MoveRootShear(s, s.SpeedErrZ, s.SpeedErrZPos, s.SpeedErrZNeg, s.RootShearZPos,
                  s.RootShearZNeg, s.RootShearZNext, s.ShearZ[0], s.RootShearStepZ);
    MoveRootShear(s, s.SpeedErrX, s.SpeedErrXPos, s.SpeedErrXNeg, s.RootShearXPos,
                  s.RootShearXNeg, s.RootShearXNext, s.ShearX[0], s.RootShearStepX);
  }
}

}  // namespace kelvado
