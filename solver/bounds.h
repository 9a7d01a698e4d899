// SPDX-License-Identifier: Apache-2.0
#pragma once
// The physical bounds of a marched temperature profile, checked after every down-channel
// step whatever the flow model: viscous heating cannot cool, so no temperature may fall more
// than kBoundsAllowance below the lowest of the inlet and wall temperatures (LowestBoundTemp),
// and every one
// must be finite. A march that leaves them has become unstable (in the classic model, a
// march at fixed depth where the melt near the root flows backwards).
#include <optional>
#include <string>

namespace kelvado {

struct CalcState;

inline constexpr double kBoundsAllowance = 1.0;  // K

struct BoundsViolation {
  double turn = 0;           // where the profile that left the bounds stands, in turns
  double backFlowShare = 0;  // the largest share of the depth flowing backwards down the channel,
                             // up to there: the driver's record, BackFlowShare step by step
};

// The share of the depth where the down-channel velocity is negative, linear between nodes.
double BackFlowShare(const CalcState& state);

// The violation, if any, of the step's mean temperature and, with `profile`, of the profile
// the step leaves for the next (TempPrev; at the channel end, the outlet profile).
std::optional<BoundsViolation> CheckTemperatureBounds(const CalcState& state, bool profile);

// "The temperature march became unstable at turn 3.45: the melt flows backwards over 31 %
// of the depth; the consistent model covers this case." (the last clause for the classic model
// with back flow only).
std::string UnstableMarchMessage(const BoundsViolation& violation, bool classicModel);

// The share of the balance's largest term (the total power, but for a run near open discharge)
// by which Cooling (1), from the power balance, and Cooling (2), from the wall gradients, may
// differ in a consistent run that finishes.
inline constexpr double kEnergyClosure = 0.02;

// "The energy balance does not close: Cooling (1) 0.973 kW against Cooling (2) 1.103 kW, 10.1 %
// of the power balance; this melt is beyond what the depth grid resolves."
std::string EnergyBalanceMessage(double cooling1KW, double cooling2KW, double balanceKW);

}  // namespace kelvado
