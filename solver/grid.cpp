// SPDX-License-Identifier: Apache-2.0
#include "solver/grid.h"

#include "solver/calc_state.h"
#include "solver/viscosity.h"

namespace kelvado {

void PrepareGridAndProfiles(CalcState& s) {
  s.NNodes = s.NDiv + 1;
  s.InteriorCount = s.NDiv - 1;
  s.InteriorCountLess1 = s.NDiv - 2;

  const double H = s.ChannelDepth;
  const double vbz = s.BarrelSpeedZ;
  const double vbx = s.BarrelSpeedX;
  const double qd = s.FlowRateRatio;

  // Parabola through BarrelTemp at both walls and InletTemp at mid-depth; y grows by
  // repeated addition, as every depth coordinate of the solver does.
  s.PosY = 0;
  for (int j = 0; j <= s.NDiv; ++j) {
    const double y = s.PosY;
    s.Temp[j] = (s.ProfA * y) * y + s.ProfB * y + s.BarrelTemp;
    s.TempPrev[j] = s.Temp[j];
    s.PosY = s.PosY + s.StepY;
  }

  // Reference viscosity at the nominal shear rate and the barrel temperature.
  s.NominalShear = vbz / H;
  s.ViscWork = ViscosityLaw(s, s.NominalShear, 0.0, s.BarrelTemp);

  // Newtonian flat-plate gradients for that viscosity, and the fixed search steps.
  s.PressGradZ = (0.5 - qd) * 12 * s.ViscWork * vbz / (H * H);
  s.PressGradX = 6 * s.ViscWork * vbx / (H * H);
  s.PressStepZ = s.ViscWork * vbz / (H * H) * 0.5;
  s.PressStepX = s.ViscWork * vbx / (H * H) * 0.5;
  s.RootShearStepZ = vbz / H * 0.5;
  s.RootShearStepX = vbx / H * 0.05;

  s.PosY = 0;
  for (int j = 0; j <= s.NDiv; ++j) {
    const double y = s.PosY;
    s.ShearZ[j] = (0.5 - qd) * 12 * vbz * y / (H * H) + (6 * qd - 2) * vbz / H;
    s.ShearX[j] = 6 * vbx * y / (H * H) - 2 * vbx / H;
    s.Viscosity[j] = ViscosityLaw(s, s.ShearZ[j], s.ShearX[j], s.Temp[j]);
    s.ViscosityOld[j] = s.Viscosity[j];
    s.PosY = s.PosY + s.StepY;
  }

  s.RootShearZNext = s.ShearZ[0];
  s.RootShearXNext = s.ShearX[0];
  s.PressGradXNext = s.PressGradX;
  s.PressGradZNext = s.PressGradZ;
}

}  // namespace kelvado
