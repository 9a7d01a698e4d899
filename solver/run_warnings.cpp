// SPDX-License-Identifier: Apache-2.0
#include "solver/run_warnings.h"

#include <cmath>
#include <memory>

#include "solver/calc_state.h"
#include "solver/consistent_flow.h"
#include "solver/message_number.h"

namespace kelvado {
namespace {

std::string Short(double value, int digits) { return MessageNumber(value, std::chars_format::general, digits); }
std::string Fixed(double value, int decimals) { return MessageNumber(value, std::chars_format::fixed, decimals); }

// The closed-discharge gradient of a Newtonian melt at the profile's mean viscosity, gf/cm3.
double ClosedDischargeGradient(const CalcState& s) {
  double viscosity = 0;
  for (int j = 0; j <= s.NDiv; ++j) viscosity += s.Viscosity[j];
  viscosity /= s.NDiv + 1;
  return 6 * viscosity * s.BarrelSpeedZ / (s.ChannelDepth * s.ChannelDepth);
}

}  // namespace

std::optional<std::string> NegativePressureWarning(double outletPressure, double rpm) {
  if (!(outletPressure < 0)) return std::nullopt;
  return "The outlet pressure is negative (" + Short(outletPressure, 4) +
         " kgf/cm2): the output is more than the screw conveys at " + Short(rpm, 4) +
         " rpm against no pressure; it would need a pressurised feed or a higher screw speed.";
}

std::optional<std::string> HotMeltWarning(double meanOutletTemp, std::optional<double> maxProcessingTemp) {
  const double limit = maxProcessingTemp.value_or(kHotMeltTemp);
  if (!(meanOutletTemp > limit)) return std::nullopt;
  const std::string above = maxProcessingTemp ? "the material's highest processing temperature, " + Short(limit, 4) + " \u00B0C"
                                              : Short(limit, 4) + " \u00B0C, hotter than any common melt is processed";
  return "The mean outlet temperature, " + Fixed(meanOutletTemp, 1) + " \u00B0C, is above " + above +
         ": the melt would degrade; check the barrel temperature, the screw speed and the material's values.";
}

std::vector<std::string> FittedWindowWarnings(const RunSpan& seen, const FittedWindow& window) {
  std::vector<std::string> warnings;
  // "SUBJECT reaches HIGH, ABOVE above the WINDOW ...", or goes down to LOW, or runs from one to the other.
  auto outside = [&warnings](const std::string& subject, const std::string& fitted, const std::string& low,
                             const std::string& high, const std::optional<std::string>& below,
                             const std::optional<std::string>& above) {
    const std::string over = " the material was fitted over", tail = "; its viscosity there is extrapolated.";
    if (below && above) {
      warnings.push_back(subject + " runs from " + low + " to " + high + ", outside the " + fitted + over + " (" +
                         *below + " below, " + *above + " above)" + tail);
    } else if (above) {
      warnings.push_back(subject + " reaches " + high + ", " + *above + " above the " + fitted + over + tail);
    } else if (below) {
      warnings.push_back(subject + " goes down to " + low + ", " + *below + " below the " + fitted + over + tail);
    }
  };
  auto temp = [](double value) { return Fixed(value, 1) + " \u00B0C"; };
  auto when = [](bool beyond, std::string text) { return beyond ? std::optional(std::move(text)) : std::nullopt; };
  outside("The melt's temperature", Short(window.tempFrom, 6) + " to " + Short(window.tempTo, 6) + " \u00B0C",
          temp(seen.tempLow), temp(seen.tempHigh),
          when(seen.tempLow < window.tempFrom - kFittedTempSlack, temp(window.tempFrom - seen.tempLow)),
          when(seen.tempHigh > window.tempTo + kFittedTempSlack, temp(seen.tempHigh - window.tempTo)));
  // Shear rates span decades: how far is a factor.
  const double under = window.shearRateFrom / seen.shearRateLow;
  const double over = seen.shearRateHigh / window.shearRateTo;
  outside("The shear rate", Short(window.shearRateFrom, 6) + " to " + Short(window.shearRateTo, 6) + " 1/s",
          Short(seen.shearRateLow, 4) + " 1/s", Short(seen.shearRateHigh, 4) + " 1/s",
          when(under > kFittedShearRateSlack, "a factor of " + Short(under, 3)),
          when(over > kFittedShearRateSlack, "a factor of " + Short(over, 3)));
  return warnings;
}

std::optional<std::string> NegativeStretchWarning(const std::vector<std::pair<double, double>>& turns, double lowest) {
  if (turns.empty()) return std::nullopt;
  std::string where;
  for (const auto& [from, to] : turns) {
    if (!where.empty()) where += ", ";
    where += from == to ? "at turn " + Fixed(from, 2) : "from turn " + Fixed(from, 2) + " to " + Fixed(to, 2);
  }
  return "The pressure falls below zero inside the channel (" + where + "; down to " + Short(lowest, 4) +
         " kgf/cm2): the channel there would not run full of melt as the model takes it.";
}

std::string ClassicNotConvergedDetail(bool inner, double turn, double backFlowShare) {
  std::string text = inner ? "The viscosity iteration" : "The flow-rate closure";
  text += " gave up at turn " + Fixed(turn, 2);
  text += backFlowShare > 0 ? ", where the melt flows backwards over " + Fixed(100 * backFlowShare, 0) + " % of the depth"
                            : ", with no melt flowing backwards";
  return text + "; the consistent flow model covers such a case, and a finer L/D (a value changed in its last digits) "
                "may let the classic one finish.";
}

std::optional<std::string> ClassicGradientWarning(const CalcState& firstStep, double powerIndex) {
  if (!(powerIndex < 1)) return std::nullopt;
  // About 240 kB, kept off the stack; the consistent stage costs microseconds.
  auto probe = std::make_unique<CalcState>(firstStep);
  probe->PowerIndex = powerIndex;
  if (!SolveConsistentFlowField(*probe)) return std::nullopt;
  const double classic = firstStep.PressGradZ;
  const double consistent = probe->PressGradZ;
  const double floor = kGradientFloorShare * std::fabs(ClosedDischargeGradient(firstStep));
  if (!(std::fabs(classic) >= floor && std::fabs(consistent) >= floor)) return std::nullopt;
  const double share = std::fabs(classic - consistent) / std::fabs(consistent);
  if (!(share > kGradientWarningShare)) return std::nullopt;
  return "The classic pressure gradient at the inlet is " + Short(100 * share, 3) +
         " % off the consistent model's for this shear-thinning melt (n = " + Short(powerIndex, 4) + ").";
}

}  // namespace kelvado
