// SPDX-License-Identifier: Apache-2.0
#pragma once
// sweep and characteristic from the command line: plan the cases, run them on the core in
// parallel, print the table to `out` and write it as CSV when asked.
#include <ostream>

#include "files/exit_codes.h"
#include "cli/options.h"

namespace kelvado::cli {

// `command.action` says which. The bar of cases done goes to `err` when `progressBar` is
// set, blanked before each row when `tableOnBarsTerminal` says the table goes to the same
// terminal; a CSV file that can not be written is said there too. Returns kExitFinished
// once the cases ran, whatever their outcomes, kExitFileNotOpened for a CSV file that can
// not be opened, or kExitWriteError when the table or the CSV file could not be written.
// Throws UsageError for an inputs file, range or screw speed that can not be used.
// The bar is drawn on `barTerminal` when given (standard error without the messages'
// prefix), else on `err`.
ExitCode BatchFromCommandLine(const CommandLine& command, std::ostream& out, std::ostream& err, bool progressBar,
                              bool tableOnBarsTerminal = false, std::ostream* barTerminal = nullptr);

}  // namespace kelvado::cli
