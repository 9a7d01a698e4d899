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

}  // namespace

std::optional<std::string> NegativePressureWarning(double outletPressure, double rpm) {
  if (!(outletPressure < 0)) return std::nullopt;
  return "The outlet pressure is negative (" + Short(outletPressure, 4) +
         " kgf/cm2): the output is more than the screw conveys at " + Short(rpm, 4) +
         " rpm against no pressure; it would need a pressurised feed or a higher screw speed.";
}

std::optional<std::string> ClassicGradientWarning(const CalcState& firstStep, double powerIndex) {
  if (!(powerIndex < 1)) return std::nullopt;
  // About 240 kB, kept off the stack; the consistent stage costs microseconds.
  auto probe = std::make_unique<CalcState>(firstStep);
  probe->PowerIndex = powerIndex;
  if (!SolveConsistentFlowField(*probe)) return std::nullopt;
  const double classic = firstStep.PressGradZ;
  const double consistent = probe->PressGradZ;
  const double share = std::fabs(classic - consistent) / std::fabs(consistent);
  if (!(share > kGradientWarningShare)) return std::nullopt;
  return "The classic pressure gradient at the inlet is " + Short(100 * share, 3) +
         " % off the consistent model's for this shear-thinning melt (n = " + Short(powerIndex, 4) + ").";
}

}  // namespace kelvado
