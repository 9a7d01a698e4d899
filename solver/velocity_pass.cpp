// SPDX-License-Identifier: Apache-2.0
#include "solver/velocity_pass.h"

#include "solver/calc_state.h"
#include "solver/lanes.h"

namespace kelvado {
namespace {

// The four quotients of an interval, each direction in its lane: g y / eta and
// (g y) y / (2 eta) at the interval's start y, the same at its end y1.
struct IntervalQuotients {
  Lanes startShear, startVel, endShear, endVel;
};

// Four divisions of two lanes.
struct TwoLaneDivider {
  IntervalQuotients operator()(Lanes gy, Lanes y, Lanes gy1, Lanes y1, double eta, double twoEta) const {
    const Lanes etaLanes = BothLanes(eta), twoEtaLanes = BothLanes(twoEta);
    return {gy / etaLanes, gy * y / twoEtaLanes, gy1 / etaLanes, gy1 * y1 / twoEtaLanes};
  }
};

#ifdef KELVADO_FOUR_LANES
// Two divisions of four lanes: the start in the low half, the end in the high half. The
// divider takes four lanes about as fast as two, and the pass waits on it.
struct FourLaneDivider {
  KELVADO_AVX IntervalQuotients operator()(Lanes gy, Lanes y, Lanes gy1, Lanes y1, double eta, double twoEta) const {
    const Quad g = QuadOf(gy, gy1);
    const Quad shear = g / AllLanes(eta);
    const Quad vel = g * QuadOf(y, y1) / AllLanes(twoEta);
    return {LowHalf(shear), LowHalf(vel), HighHalf(shear), HighHalf(vel)};
  }
};
#endif

// The pass, the operations of each lane in the order of the formulas
//   ShearConst = Shear[i-1] - g y / eta
//   VelConst   = (Vel[i-1] - (g y) y / (2 eta)) - ShearConst y
//   Vel[i]     = ((g y1) y1 / (2 eta) + ShearConst y1) + VelConst
//   Shear[i]   = g y1 / eta + ShearConst
// with y1 = y + StepY; the running values stay in registers.
template <typename Divider>
[[gnu::always_inline]] inline void Integrate(CalcState& s, Divider divide) {
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
    const double nextViscosity = s.Viscosity[i];
    eta = (viscosity + nextViscosity) / 2;
    viscosity = nextViscosity;
    const Lanes y = BothLanes(posY);
    posY = posY + stepY;
    const Lanes y1 = BothLanes(posY);
    const Lanes gy = g * y;
    const Lanes gy1 = g * y1;
    const IntervalQuotients q = divide(gy, y, gy1, y1, eta, 2 * eta);
    shearConst = shear - q.startShear;
    velConst = (vel - q.startVel) - shearConst * y;
    vel = (q.endVel + shearConst * y1) + velConst;
    shear = q.endShear + shearConst;
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

void IntegrateTwoLanes(CalcState& s) { Integrate(s, TwoLaneDivider{}); }

#ifdef KELVADO_FOUR_LANES
KELVADO_AVX void IntegrateFourLanes(CalcState& s) { Integrate(s, FourLaneDivider{}); }
#endif

}  // namespace

void IntegrateAcrossDepthInLanes(CalcState& s, LaneWidth width) {
#ifdef KELVADO_FOUR_LANES
  if (width == LaneWidth::Best && HaveFourLanes()) return IntegrateFourLanes(s);
#endif
  (void)width;
  IntegrateTwoLanes(s);
}

}  // namespace kelvado
