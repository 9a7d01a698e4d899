// SPDX-License-Identifier: Apache-2.0
#pragma once

namespace kelvado {

struct CalcState;

// Derives screw speed, barrel speed and its components, channel width and length, the
// grid constants and the initial accumulators from the seventeen inputs.
void ComputeOperatingConditions(CalcState& state);

}  // namespace kelvado
