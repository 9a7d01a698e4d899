// SPDX-License-Identifier: Apache-2.0
#pragma once
// Warnings that travel with a finished run: numbers that hold as computed but that an
// engineer must not read as an ordinary operating point.
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kelvado {

struct CalcState;

// Past this relative difference the classic model's first down-channel pressure gradient is
// said to differ from the consistent model's on the same temperature profile.
inline constexpr double kGradientWarningShare = 0.10;
// Near open discharge both gradients pass through zero and their difference is noise beside
// them: the warning holds only where each is at least this share of the gradient the melt
// would take at closed discharge, 6 eta Vbz / H^2 (Newtonian, at its mean viscosity).
inline constexpr double kGradientFloorShare = 0.05;

// Above this mean outlet temperature, where the material gives no highest processing
// temperature of its own, a run warns: no common melt is processed hotter.
inline constexpr double kHotMeltTemp = 450;  // C

// For a negative outlet pressure (kgf/cm2): the output is above what the screw conveys at
// that speed against no pressure.
std::optional<std::string> NegativePressureWarning(double outletPressure, double rpm);

// For a mean outlet temperature above the material's highest processing temperature, or above
// kHotMeltTemp where the material gives none.
std::optional<std::string> HotMeltWarning(double meanOutletTemp, std::optional<double> maxProcessingTemp);

// For stretches of the channel (from, to, in turns) where the pressure fell below zero before
// the outlet; `lowest` is the lowest pressure there (kgf/cm2).
std::optional<std::string> NegativeStretchWarning(const std::vector<std::pair<double, double>>& turns, double lowest);

// What a classic run that did not converge saw, and what to do: which iteration gave up
// (`inner`: the viscosity iteration, else the flow-rate closure), at which turn, and the
// largest share of the depth that flowed backwards. The run's own message stays as it was.
std::string ClassicNotConvergedDetail(bool inner, double turn, double backFlowShare);

// For a classic run of a shear-thinning melt, on the first step's state (its flow field
// solved): the consistent model's flow stage on the same temperatures, and a warning naming
// the difference of the two down-channel pressure gradients when it passes the share, both
// being well away from zero (kGradientFloorShare).
// `powerIndex` is the melt's own n (the classic first step may stand in another).
std::optional<std::string> ClassicGradientWarning(const CalcState& firstStep, double powerIndex);

}  // namespace kelvado
