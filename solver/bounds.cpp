#include "solver/bounds.h"

#include <algorithm>
#include <cmath>
#include <charconv>
#include <numbers>

#include "solver/calc_state.h"

namespace kelvado {
namespace {

// The share of the depth where the down-channel velocity is negative, linear between nodes.
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

}  // namespace

std::optional<BoundsViolation> CheckTemperatureBounds(const CalcState& s) {
  const double lowest = std::min(s.InletTemp, s.BarrelTemp) - kBoundsAllowance;
  bool bounded = s.MarchUnbounded == 0;
  for (int j = 0; bounded && j <= s.NDiv; ++j) bounded = std::isfinite(s.Temp[j]) && s.Temp[j] >= lowest;
  if (bounded) return std::nullopt;
  const double turnLength = std::numbers::pi * s.BarrelDiameter / std::cos(s.HelixAngle);
  return BoundsViolation{s.PosZ / turnLength, BackFlowShare(s)};
}

std::string UnstableMarchMessage(const BoundsViolation& v, bool classicModel) {
  // Locale-free: a message reads the same whatever the process's numeric locale.
  auto fixed = [](double value, int decimals) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, end.ptr);
  };
  std::string message = "The temperature march became unstable at turn " + fixed(v.turn, 2) +
                        ": the melt flows backwards over " + fixed(100.0 * v.backFlowShare, 0) +
                        " % of the depth";
  message += classicModel && v.backFlowShare > 0 ? "; the consistent model covers this case." : ".";
  return message;
}

}  // namespace kelvado
