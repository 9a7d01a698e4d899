// SPDX-License-Identifier: Apache-2.0
#pragma once
#include "solver/calc_state.h"

namespace kelvado {

class RunServices;

// Composite Simpson rule over the NDiv intervals of the depth grid, in its fixed order of
// summation: (((f0 + 4-sum) + 2-sum) + fN) * (StepY / 3).
double DepthIntegral(const Profile& f, int nDiv, double stepY);

// Integrates the profiles, tests no-net-cross-flow and the throughput, and either accepts
// the step's flow field or moves the two pressure gradients (fixed steps, then false
// position, stale brackets reset every 8 calls, failure after 1000 corrections).
void CheckFlowRates(CalcState& state, RunServices& services);

}  // namespace kelvado
