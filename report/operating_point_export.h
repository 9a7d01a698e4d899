// SPDX-License-Identifier: Apache-2.0
#pragma once
// The operating point of a screw and its die as one JSON document, in the naming style of a
// run's: the search's status and message, the inputs, the point, each die section with its
// dimensions and, at the point, its pressure drop and wall shear rates, and every screw run
// the search made.
#include <string>

#include "solver/operating_point.h"

namespace kelvado {

std::string OperatingPointJson(const OperatingPointRequest& request, const OperatingPointResult& result);

}  // namespace kelvado
