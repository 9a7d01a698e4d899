// SPDX-License-Identifier: Apache-2.0
#include "solver/closure.h"

#include <cmath>

#include "solver/fp_fault.h"
#include "solver/services.h"

namespace kelvado {
namespace {

constexpr int kClosureIterCap = 1000;
constexpr int kBracketMaxAge = 8;
constexpr double kFlowTolerance = 0.015;

// Records the point on the side of the residual's sign and the stepped candidate.
void RecordPoint(double residual, double grad, double step, double& resPos, double& gradPos,
                 double& resNeg, double& gradNeg, double& gradNext) {
  if (residual < 0) {
    resNeg = residual;
    gradNext = grad - step;
    gradNeg = grad;
  } else if (residual > 0) {
    resPos = residual;
    gradNext = grad + step;
    gradPos = grad;
  }
}

void CorrectGradient(CalcState& s, double resPos, double gradPos, double resNeg, double gradNeg,
                     double& gradNext, double& grad) {
  if (resPos * resNeg >= 0) {
    grad = gradNext;
    return;
  }
  // Both sentinels still in place (a residual of exactly zero right after a reset): no
  // bracket of this step to interpolate in, so the gradient stays for this call.
  if (resPos == -1.0 && resNeg == 1.0) return;
  if (!(std::fabs(gradNeg - gradPos) > 1e-10)) return;
  s.SecantSlope = (resNeg - resPos) / (gradNeg - gradPos);
  s.SecantIntercept = resNeg - s.SecantSlope * gradNeg;
  gradNext = -s.SecantIntercept / s.SecantSlope;
  grad = gradNext;
}

}  // namespace

double DepthIntegral(const Profile& f, int nDiv, double stepY) {
  const int m = nDiv / 2;
  double s4 = 0;
  for (int j = 1; j <= 2 * m - 1; j += 2) s4 = s4 + 4 * f[j];
  double s2 = 0;
  for (int j = 2; j <= 2 * m - 2; j += 2) s2 = s2 + 2 * f[j];
  return (((f[0] + s4) + s2) + f[nDiv]) * (stepY / 3.0);
}

void CheckFlowRates(CalcState& s, RunServices& services) {
  s.ClosureDone = 0;
  s.ClosureFailed = 0;
  ++s.TotalClosurePasses;
  for (int j = 0; j <= s.NDiv; ++j) s.ViscosityOld[j] = s.Viscosity[j];

  s.CrossFlow = DepthIntegral(s.VelX, s.NDiv, s.StepY);
  s.FlowRateZ = DepthIntegral(s.VelZ, s.NDiv, s.StepY) * s.ChannelWidth;
  CheckFaultFlags("the flow-rate closure");

  if (std::fabs(s.CrossFlow) <= s.CrossFlowTol &&
      std::fabs((s.FlowRateZ - s.VolumeRate) / s.VolumeRate) <= kFlowTolerance) {
    s.ClosureDone = 1;
    return;
  }

  // Only the condition still violated loses its stale bracket.
  if (s.BracketAge >= kBracketMaxAge) {
    if (std::fabs(s.CrossFlow) > s.CrossFlowTol) {
      s.CrossResPos = -1.0;
      s.CrossResNeg = +1.0;
      s.BracketAge = 0;
    }
    if (std::fabs(s.FlowRateZ - s.VolumeRate) / s.VolumeRate > kFlowTolerance) {
      s.FlowResPos = -1.0;
      s.FlowResNeg = +1.0;
      s.BracketAge = 0;
    }
  }

  s.FlowRateErr = s.FlowRateZ - s.VolumeRate;
  RecordPoint(s.CrossFlow, s.PressGradX, s.PressStepX, s.CrossResPos, s.CrossGradPos,
              s.CrossResNeg, s.CrossGradNeg, s.PressGradXNext);
  RecordPoint(s.FlowRateErr, s.PressGradZ, s.PressStepZ, s.FlowResPos, s.FlowGradPos,
              s.FlowResNeg, s.FlowGradNeg, s.PressGradZNext);
  CorrectGradient(s, s.CrossResPos, s.CrossGradPos, s.CrossResNeg, s.CrossGradNeg,
                  s.PressGradXNext, s.PressGradX);
  CorrectGradient(s, s.FlowResPos, s.FlowGradPos, s.FlowResNeg, s.FlowGradNeg,
                  s.PressGradZNext, s.PressGradZ);
  CheckFaultFlags("the flow-rate closure");

  s.BracketAge += 1;
  s.ClosureIter += 1;
  if (s.ClosureIter > kClosureIterCap) {
    s.ClosureFailed = 1;
    s.ClosureDone = 1;
    services.ShowMessage(messages::kClosureNotConverged);
  }
}

}  // namespace kelvado
