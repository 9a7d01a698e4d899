#pragma once

namespace kelvado {

struct CalcState;
class RunServices;

// Passes one shooting call may make before the inner loop gives up instead of searching
// for ever (some inputs walk the root shear rate away without bound).
inline constexpr int kVelocityPassCap = 20000;

// Integrates the velocity and shear-rate profiles from the screw root for the current
// viscosity and pressure gradients, and searches the two root shear rates until the melt
// at the barrel moves with the barrel (within 1 %). Sets VelocityFailed at the pass cap.
void FitVelocityProfiles(CalcState& state, RunServices& services);

}  // namespace kelvado
