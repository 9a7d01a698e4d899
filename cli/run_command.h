#pragma once
// One calculation from the command line, its case composed by ComposeCase (case/compose.h);
// the run's messages and any fault report to `err`, the outlet summary to `out`, then the
// exports asked for.
#include <ostream>
#include <string>
#include <vector>

#include "cli/exit_codes.h"
#include "cli/options.h"

namespace kelvado::cli {

ExitCode RunFromCommandLine(const RunOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kelvado::cli
