#pragma once
// The physical bounds of a marched temperature profile, checked after every down-channel
// step whatever the flow model: viscous heating cannot cool, so no node may fall more than
// kBoundsAllowance below the lowest of the inlet and wall temperatures, and every node must
// be finite. A march that leaves them has become unstable (in the classic model, a march
// at fixed depth where the melt near the root flows backwards).
#include <optional>
#include <string>

namespace kelvado {

struct CalcState;

inline constexpr double kBoundsAllowance = 1.0;  // K

struct BoundsViolation {
  double turn = 0;           // where the profile that left the bounds stands, in turns
  double backFlowShare = 0;  // the share of the depth flowing backwards down the channel there
};

// The violation of the profile the last step produced, if any.
std::optional<BoundsViolation> CheckTemperatureBounds(const CalcState& state);

// "The temperature march became unstable at turn 3.45: the melt flows backwards over 31 %
// of the depth; the consistent model covers this case." (the last clause for the classic model
// with back flow only).
std::string UnstableMarchMessage(const BoundsViolation& violation, bool classicModel);

}  // namespace kelvado
