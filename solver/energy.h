// SPDX-License-Identifier: Apache-2.0
#pragma once

namespace kelvado {

struct CalcState;
class ResultsSink;
struct SinkWrite;

// Finishes one down-channel step: the step's integral quantities (mean temperature,
// mixing, wall heat, power, enthalpy rise, pressure), a progress line on every fourth
// step, the implicit Crank-Nicolson temperature step, and the advance of the position.
// Returns how the progress line went (written when none was due); after a failed one the
// step goes no further.
SinkWrite AdvanceEnergyStep(CalcState& state, ResultsSink& sink);

}  // namespace kelvado
