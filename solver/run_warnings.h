// SPDX-License-Identifier: Apache-2.0
#pragma once
// Warnings that travel with a finished run: numbers that hold as computed but that an
// engineer must not read as an ordinary operating point.
#include <optional>
#include <string>

namespace kelvado {

struct CalcState;

// Past this relative difference the classic model's first down-channel pressure gradient is
// said to differ from the consistent model's on the same temperature profile.
inline constexpr double kGradientWarningShare = 0.10;

// For a negative outlet pressure (kgf/cm2): the output is above what the screw conveys at
// that speed against no pressure.
std::optional<std::string> NegativePressureWarning(double outletPressure, double rpm);

// For a classic run of a shear-thinning melt, on the first step's state (its flow field
// solved): the consistent model's flow stage on the same temperatures, and a warning naming
// the difference of the two down-channel pressure gradients when it passes the share.
// `powerIndex` is the melt's own n (the classic first step may stand in another).
std::optional<std::string> ClassicGradientWarning(const CalcState& firstStep, double powerIndex);

}  // namespace kelvado
