#pragma once
// operating-point and die-curve from the command line: the case and the die from the defaults,
// the inputs file and the options; the tables to `out`, messages and warnings to `err`.
#include <atomic>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/die_options.h"
#include "cli/exit_codes.h"
#include "cli/fields.h"

namespace kelvado::cli {

// An inputs file that may also hold the die, as `die = SECTION` lines.
struct InputsWithDie {
  FieldOverrides fields;
  std::vector<std::string> dieTexts;  // in the order of the file
};

// Parses the content of such a file; everything but the die lines as ParseInputsText does,
// line numbers included. Throws UsageError.
InputsWithDie ParseInputsWithDie(std::string_view content, std::string_view origin);

// Runs the command. A die section, melt or field that can not be used is said on `err` and
// gives kExitImproperInput; a range, speed or temperature that is not a number throws
// UsageError. `cancel`, when set from another thread, stops the search.
ExitCode DieCommandFromCommandLine(const DieCommandLine& line, std::ostream& out, std::ostream& err,
                                   const std::atomic<bool>* cancel = nullptr);

}  // namespace kelvado::cli
