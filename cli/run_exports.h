// SPDX-License-Identifier: Apache-2.0
#pragma once
// The machine-readable copies of a single run that the command line asked for.
#include "cli/options.h"
#include "solver/run.h"

namespace kelvado::cli {

// --json whatever the outcome (its status says how the run ended); --csv only after a
// finished run, making the folder if it is missing and touching nothing in it but
// steps.csv and outlet.csv. Throws OutputError for the first file that can not be written.
void WriteRunExports(const RunOptions& options, const RunRequest& request, const RunOutcome& outcome);

}  // namespace kelvado::cli
