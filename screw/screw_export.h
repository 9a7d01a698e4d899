// SPDX-License-Identifier: Apache-2.0
#pragma once
// The machine-readable copies of a screw fed with pellets: the run's JSON document with the
// feed, the pellets' values, the profile along the whole screw and the stages' summary; the
// profile as CSV.
#include <string>

#include "screw/pellet_screw.h"

namespace kelvado {

std::string PelletRunJson(const PelletRequest& request, const PelletOutcome& outcome);
std::string ScrewProfileCsv(const PelletOutcome& outcome);

}  // namespace kelvado
