// SPDX-License-Identifier: Apache-2.0
#pragma once
// operating-point and die-curve from the command line: the case and the die from the defaults,
// the inputs file and the options; the tables to `out`, messages and warnings to `err`.
#include <atomic>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/die_options.h"
#include "files/exit_codes.h"
#include "case/fields.h"

namespace kelvado::cli {

// Runs the command. A die section, melt or field that can not be used is said on `err` and
// gives kExitImproperInput; a range, speed or temperature that is not a number throws
// UsageError. `cancel`, when set from another thread, stops the search.
ExitCode DieCommandFromCommandLine(const DieCommandLine& line, std::ostream& out, std::ostream& err,
                                   const std::atomic<bool>* cancel = nullptr);

}  // namespace kelvado::cli
