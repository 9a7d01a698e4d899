// SPDX-License-Identifier: Apache-2.0
#pragma once
// A single run of a screw fed with pellets from the command line: the stages from the hopper
// to the screw's end at the case's output and speed, the results file with the stages'
// block, and the exports with the profile along the whole screw.
#include <ostream>

#include "case/case_file.h"
#include "cli/options.h"
#include "files/exit_codes.h"
#include "screw/pellet_screw.h"

namespace kelvado::cli {

inline constexpr const char* kPelletsNeedSpeed =
    "a screw fed with pellets runs at a screw speed: give --rpm R (or an 'rpm =' line)";

// The case as a screw fed with pellets at `rpm`, its zones and pellet values read, no results
// file named; nothing where they can not be read, the message written to `err`.
std::optional<PelletRequest> PelletRequestOf(const CaseData& c, char separator, double rpm, std::ostream& err);

ExitCode RunPelletsFromCommandLine(const RunOptions& options, const CaseData& c, char separator, std::ostream& out,
                                   std::ostream& err);

}  // namespace kelvado::cli
