// SPDX-License-Identifier: Apache-2.0
#pragma once
// A single run of a screw fed with pellets from the command line: the stages from the hopper
// to the screw's end at the case's output and speed, the results file with the stages'
// block, and the exports with the profile along the whole screw.
#include <ostream>

#include "case/case_file.h"
#include "cli/options.h"
#include "files/exit_codes.h"

namespace kelvado::cli {

ExitCode RunPelletsFromCommandLine(const RunOptions& options, const CaseData& c, char separator, std::ostream& out,
                                   std::ostream& err);

}  // namespace kelvado::cli
