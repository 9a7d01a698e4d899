// SPDX-License-Identifier: Apache-2.0
#include "solver/operating.h"

#include <cmath>
#include <numbers>

#include "solver/calc_state.h"

namespace kelvado {

void ComputeOperatingConditions(CalcState& s) {
  constexpr double pi = std::numbers::pi;
  // Each quantity is stored before the next formula uses it; products run left to right.
  s.MassRate = s.OutputRate / 3.6;  // kg/h to g/s
  s.VolumeRate = s.MassRate / s.Density;
  s.HelixAngle = std::atan(s.ScrewPitch / (pi * s.BarrelDiameter));
  const double cosTheta = std::cos(s.HelixAngle);
  const double sinTheta = std::sin(s.HelixAngle);
  s.ChannelWidth = cosTheta * s.ScrewPitch - s.FlightWidth;
  // The speed at which the output equals qd * W * H * Vbz.
  s.RevPerSec = s.VolumeRate /
                ((cosTheta * (((s.FlowRateRatio * s.ChannelWidth) * pi) * s.BarrelDiameter)) *
                 s.ChannelDepth);
  s.Rpm = s.RevPerSec * 60;
  s.BarrelSpeed = (pi * s.BarrelDiameter) * s.RevPerSec;
  s.BarrelSpeedZ = cosTheta * s.BarrelSpeed;
  s.BarrelSpeedX = sinTheta * s.BarrelSpeed;
  s.ChannelLength = ((pi * s.LengthRatio) * s.BarrelDiameter) / cosTheta;
  // Twenty steps per turn: the constant 20, not NDiv.
  s.StepZ = ((pi * s.BarrelDiameter) / cosTheta) / 20;
  s.NDiv = 20;
  s.StepY = s.ChannelDepth / s.NDiv;
  s.ProfA = ((s.BarrelTemp - s.InletTemp) * 4) / (s.ChannelDepth * s.ChannelDepth);
  s.ProfB = ((s.BarrelTemp - s.InletTemp) * (-4)) / s.ChannelDepth;
  s.WallCooling = 0.0;
  s.MixingDegree = 0.0;
  s.PowerInput = 0.0;
  s.PosZ = 0.0;
  s.StepCount = 0;
  s.ProbeQ1 = s.NDiv / 4;
  s.ProbeQ2 = s.NDiv / 2;
  s.ProbeQ3 = (3 * s.NDiv) / 4;
  s.CrossFlowTol = (s.BarrelSpeedX * s.ChannelDepth) / 1000;
  s.InletTempSet = -1.0;
  s.Pressure = 0.0;
}

}  // namespace kelvado
