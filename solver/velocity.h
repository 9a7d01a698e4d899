// SPDX-License-Identifier: Apache-2.0
#pragma once
#include <cstdint>

namespace kelvado {

struct CalcState;
class RunServices;
enum class StageEnd;

// Passes one shooting call may make before the inner loop gives up instead of searching
// for ever (some inputs walk the root shear rate away without bound).
inline constexpr int kVelocityPassCap = 20000;
// Velocity passes one down-channel step may make over all its inner and closure passes.
// The caps of the nested loops multiply to far more than a finishing case ever needs
// (see bench/step_work_survey.cpp for the figures); past this bound the step gives up
// as the inner loop does at its cap.
inline constexpr std::int64_t kStepVelocityPassCap = 7'500'000;

// Integrates the velocity and shear-rate profiles from the screw root for the current
// viscosity and pressure gradients, and searches the two root shear rates until the melt
// at the barrel moves with the barrel (within 1 %). Sets VelocityFailed at either pass cap;
// asks for a cancel once per pass.
StageEnd FitVelocityProfiles(CalcState& state, RunServices& services);

}  // namespace kelvado
