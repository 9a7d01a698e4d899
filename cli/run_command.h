#pragma once
// One calculation from the command line: defaults, then the inputs file, then the options;
// the run's messages and any fault report to `err`, the outlet summary to `out`, then the
// exports asked for.
#include <ostream>

#include "cli/exit_codes.h"
#include "cli/options.h"

namespace kelvado::cli {

// The seventeen texts a run gets: the defaults written with `separator`, then the inputs
// file, then the options. Throws UsageError when the inputs file is unusable.
InputTexts ComposeInputTexts(const RunOptions& options, char separator);

ExitCode RunFromCommandLine(const RunOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kelvado::cli
