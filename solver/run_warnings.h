// SPDX-License-Identifier: Apache-2.0
#pragma once
// Warnings that travel with a finished run: numbers that hold as computed but that an
// engineer must not read as an ordinary operating point.
#include <cmath>
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

// The temperatures (C) and shear rates (1/s) of the data a material's viscosity was fitted to:
// outside them the power law is extrapolated.
struct FittedWindow {
  double tempFrom = 0, tempTo = 0;
  double shearRateFrom = 0, shearRateTo = 0;
  bool operator==(const FittedWindow&) const = default;
};

// What a run met: the lowest and highest melt temperature and shear rate over the nodes of
// every step, the inlet's and the barrel's temperatures among them.
struct RunSpan {
  double tempLow = INFINITY, tempHigh = -INFINITY;
  double shearRateLow = INFINITY, shearRateHigh = -INFINITY;
  void AddTemp(double temp) { tempLow = std::fmin(tempLow, temp), tempHigh = std::fmax(tempHigh, temp); }
  void AddShearRate(double rate) {
    shearRateLow = std::fmin(shearRateLow, rate), shearRateHigh = std::fmax(shearRateHigh, rate);
  }
};

// Below these a run is taken as inside its fitted window: a difference the message would show
// as 0.0 C or a factor of 1.00 is no warning.
inline constexpr double kFittedTempSlack = 0.05;         // C
inline constexpr double kFittedShearRateSlack = 1.005;   // factor

// For a run whose temperatures or shear rates leave the window its material was fitted over:
// one warning for each, naming how far.
std::vector<std::string> FittedWindowWarnings(const RunSpan& seen, const FittedWindow& window);

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
