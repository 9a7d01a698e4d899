// SPDX-License-Identifier: Apache-2.0
#pragma once
// The screw of zones the case's `zone` texts give, for every command that runs one.
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "solver/screw_zones.h"

namespace kelvado::cli {

// The zones of the texts; nullopt when one is refused, its message written to `err`: the
// command then ends as improper input.
std::optional<std::vector<ScrewZone>> ReadZones(const std::vector<std::string>& texts, std::ostream& err);

}  // namespace kelvado::cli
