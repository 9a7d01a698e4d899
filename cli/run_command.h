// SPDX-License-Identifier: Apache-2.0
#pragma once
// One calculation from the command line, its case composed by ComposeCase (case/compose.h);
// the run's messages and any fault report to `err`, the outlet summary to `out`, then the
// exports asked for.
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "files/exit_codes.h"
#include "cli/console_services.h"
#include "cli/options.h"

namespace kelvado::cli {

// The files a command reads (the inputs file), which none of its outputs may name.
std::vector<std::string> InputPaths(const RunOptions& options);

// The lines a run that did not finish adds to its own messages (`shown`: the services it
// showed them through): a fault or a write error, a cancel, the field of an improper text,
// the cause of an iteration that gave up. Nothing for a finished run.
void SayHowTheRunEnded(const RunOutcome& outcome, const std::string& resultFile, const ConsoleServices& shown,
                       std::ostream& err);

// The exit status of a run that has ended, once `writeExports` has written what was asked
// (it throws OutputError): the run's own status says more than a file it could not export,
// and a signal after the run still ends the command, in a word of its own.
ExitCode ExportAndExit(RunStatus status, const std::function<void()>& writeExports, std::ostream& err);

ExitCode RunFromCommandLine(const RunOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kelvado::cli
