// SPDX-License-Identifier: Apache-2.0
#include "solver/bounds.h"

#include <algorithm>
#include <cmath>

#include "solver/calc_state.h"
#include "solver/message_number.h"

namespace kelvado {
double BackFlowShare(const CalcState& s) {
  double back = 0;
  for (int j = 1; j <= s.NDiv; ++j) {
    const double a = s.VelZ[j - 1], b = s.VelZ[j];
    if (a < 0 && b < 0) {
      back += 1;
    } else if (a < 0 || b < 0) {
      const double negative = a < 0 ? a : b;
      back += negative / (negative - (a < 0 ? b : a));
    }
  }
  return s.NDiv > 0 ? back / s.NDiv : 0.0;
}

std::optional<BoundsViolation> CheckTemperatureBounds(const CalcState& s, bool profile) {
  const double lowest = s.LowestBoundTemp - kBoundsAllowance;
  // The mean belongs to the step's start, the profile it leaves to where the step ends.
  if (!(std::isfinite(s.AvgTemp) && s.AvgTemp >= lowest)) return BoundsViolation{s.Turns};
  bool bounded = s.MarchUnbounded == 0;
  for (int j = 0; profile && bounded && j <= s.NDiv; ++j) {
    bounded = std::isfinite(s.TempPrev[j]) && s.TempPrev[j] >= lowest;
  }
  if (bounded) return std::nullopt;
  return BoundsViolation{std::fmin(TurnsAt(s, s.PosZ), s.LengthRatio)};
}

namespace {

std::string Fixed(double value, int decimals) { return MessageNumber(value, std::chars_format::fixed, decimals); }

}  // namespace

std::string EnergyBalanceMessage(double cooling1KW, double cooling2KW, double balanceKW) {
  return "The energy balance does not close: Cooling (1) " + Fixed(cooling1KW, 3) + " kW against Cooling (2) " +
         Fixed(cooling2KW, 3) + " kW, " + Fixed(100 * std::fabs(cooling1KW - cooling2KW) / std::fabs(balanceKW), 1) +
         " % of the power balance; this melt is beyond what the depth grid resolves.";
}

std::string UnstableMarchMessage(const BoundsViolation& v, bool classicModel) {
  std::string message = "The temperature march became unstable at turn " + Fixed(v.turn, 2) +
                        ": the melt flows backwards over " + Fixed(100.0 * v.backFlowShare, 0) +
                        " % of the depth";
  message += classicModel && v.backFlowShare > 0 ? "; the consistent model covers this case." : ".";
  return message;
}

}  // namespace kelvado
