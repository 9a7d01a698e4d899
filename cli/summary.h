// SPDX-License-Identifier: Apache-2.0
#pragma once
// The outlet summary of a finished run for a person at a terminal: the screw speed and the
// eight values of the results file's summary, with the same digits and separator; the
// pressure in `pressureUnit`, with that unit's decimals.
#include <ostream>

#include "solver/run.h"
#include "solver/units.h"

namespace kelvado::cli {

void WriteSummary(std::ostream& out, const OutletSummary& summary, char separator,
                  const PressureUnit& pressureUnit = kKgfPerCm2);

}  // namespace kelvado::cli
