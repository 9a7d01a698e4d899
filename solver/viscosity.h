// SPDX-License-Identifier: Apache-2.0
#pragma once

namespace kelvado {

struct CalcState;
class RunServices;

// The temperature-dependent power law at one point, in its fixed order of evaluation
// (stores ShearInvariant): eta0 * exp((n-1) ln(gamma/gamma0)) scaled by exp(-b (T-T0)).
double ViscosityLaw(CalcState& state, double shearZ, double shearX, double temp);

// Recomputes the viscosity at every node and tests the three probe nodes; sets InnerDone,
// and on the 20001st unconverged pass gives the inner loop up.
void UpdateViscosity(CalcState& state, RunServices& services);

// What the inner loop does when it gives up: InnerDone, the message, then InnerFailed.
void GiveUpInnerLoop(CalcState& state, RunServices& services);

}  // namespace kelvado
