// SPDX-License-Identifier: Apache-2.0
#pragma once
// The pressure a Newtonian melt of one temperature builds in a zone whose depth falls linearly.
#include <cmath>
#include <numbers>

namespace kelvado::testing {

// 6 mu L [Vbz / (H1 H2) - q (H1 + H2) / (H1^2 H2^2)], q the output per unit channel width,
// in kgf/cm2; the default geometry and melt at 60 kg/hr.
inline double ClosedFormPressure(double turns, double h1, double h2, double rpm) {
  const double pi = std::numbers::pi, D = 6.5, pitch = 6.5, mu = 10.5;
  const double cosTheta = std::cos(std::atan(pitch / (pi * D)));
  const double vbz = cosTheta * pi * D * rpm / 60;
  const double q = 60 / 3.6 / 0.96 / (cosTheta * pitch - 0.65);
  const double length = turns * pi * D / cosTheta;
  return 6 * mu * length * (vbz / (h1 * h2) - q * (h1 + h2) / (h1 * h1 * h2 * h2)) / 1000;
}

}  // namespace kelvado::testing
