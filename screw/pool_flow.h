// SPDX-License-Identifier: Apache-2.0
#pragma once
// The melt pool beside a melting solid bed: the melt stage's consistent flow field of the
// narrower channel the pool fills, for its pressure gradient and its viscous heating.
// Program units (cm, g, s, gf, cal, C).
#include <memory>
#include <optional>

#include "solver/input.h"

namespace kelvado {

struct CalcState;

class PoolFlow {
 public:
  // `drivenInputs`: the case's texts as a run at the screw's speed reads them (DriveRequest),
  // so that the barrel speed and the melt's law are the run's.
  PoolFlow(const InputTexts& drivenInputs, char decimalSeparator);
  ~PoolFlow();
  PoolFlow(const PoolFlow&) = delete;
  PoolFlow& operator=(const PoolFlow&) = delete;

  struct Field {
    double pressureGradient = 0;  // gf/cm3 down the channel
    double heating = 0;           // cal/s per cm down the channel: the viscous work turned to heat
  };
  // The flow of `volumeRate` (cm3/s) through a pool `width` wide and `depth` deep at one
  // temperature, under a barrel moving at the helix angle; nothing where it does not converge.
  std::optional<Field> Solve(double depth, double width, double volumeRate, double temp, double helixAngle);

 private:
  std::unique_ptr<CalcState> state_;
};

}  // namespace kelvado
