#pragma once

namespace kelvado {

struct CalcState;
class RunServices;
class ResultFile;

// Finishes one down-channel step: the step's integral quantities (mean temperature,
// mixing, wall heat, power, enthalpy rise, pressure), a progress line on every fourth
// step, the implicit Crank-Nicolson temperature step, and the advance of the position.
void AdvanceEnergyStep(CalcState& state, ResultFile& file, RunServices& services);

}  // namespace kelvado
