// SPDX-License-Identifier: Apache-2.0
#pragma once

namespace kelvado {

struct CalcState;

// Lays out the depth grid and sets the initial temperature, shear-rate and viscosity
// profiles, the Newtonian pressure gradients and the fixed search steps. Runs once per run.
void PrepareGridAndProfiles(CalcState& state);

}  // namespace kelvado
