// SPDX-License-Identifier: Apache-2.0
#pragma once
// `operating-point --feed pellets`: the output a flood-fed screw gives at the speed and die,
// and what limits it.
#include <atomic>
#include <ostream>
#include <vector>

#include "case/case_file.h"
#include "cli/die_options.h"
#include "files/exit_codes.h"
#include "solver/die.h"

namespace kelvado::cli {

ExitCode FloodFedPoint(const DieCommandLine& line, const CaseData& c, char separator, const std::vector<DieSection>& die,
                       std::ostream& out, std::ostream& err, const std::atomic<bool>* cancel);

}  // namespace kelvado::cli
