// SPDX-License-Identifier: Apache-2.0
#pragma once
// The studies of a screw fed with pellets from the command line: `characteristic` (the
// stages at each output of a range, at a speed) and `sweep` (at the case's output and speed,
// over ranges of its fields, its zones' values and the pellets' values), a row a case.
#include <ostream>

#include "case/case_file.h"
#include "cli/options.h"
#include "files/exit_codes.h"
#include "screw/pellet_screw.h"

namespace kelvado::cli {

// The case with one varied value set: a field's text, a zone's value or a pellet value;
// why not, for a value a zone can not take.
std::optional<std::string> SetVaried(PelletRequest& request, const VariedField& varied, double value, char separator);

ExitCode PelletBatch(const CommandLine& command, const CaseData& c, char separator, std::ostream& out,
                     std::ostream& err);

}  // namespace kelvado::cli
