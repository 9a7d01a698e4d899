// SPDX-License-Identifier: Apache-2.0
#pragma once
// The screw characteristic: outlet pressure and temperature against output at a fixed screw
// speed. Each output gets the dimensionless flow rate at which it needs that speed.
#include <vector>

#include "solver/sweep.h"

namespace plots {

// One case per output: `base` with that output and the flow rate that gives `rpm`.
std::vector<kelvado::SweepCase> CharacteristicCases(const kelvado::InputTexts& base, char separator, double rpm,
                                                    const std::vector<double>& outputs);

}  // namespace plots
