#pragma once
// The outlet summary of a finished run for a person at a terminal: the screw speed and the
// eight values of the results file's summary, with the same digits and separator.
#include <ostream>

#include "solver/run.h"

namespace kelvado::cli {

void WriteSummary(std::ostream& out, const OutletSummary& summary, char separator);

}  // namespace kelvado::cli
