// SPDX-License-Identifier: Apache-2.0
#pragma once
// The command lines of `operating-point` and `die-curve`. Their own options are taken out
// here; the rest (input fields, --inputs, --decimal-separator, --help, --version) is read by
// ParseCommandLine as for a single run, so that the field options mean the same everywhere.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/options.h"

namespace kelvado::cli {

enum class DieCommand { OperatingPoint, DieCurve };

struct DieCommandLine {
  DieCommand command = DieCommand::OperatingPoint;
  Action shown = Action::Run;               // Help or Version when asked for instead
  RunOptions run;                           // the fields, the inputs file, the separator
  std::vector<std::string> dieTexts;        // --die, in order; none: the inputs file's
  std::optional<std::string> rpm;           // operating-point
  std::optional<std::string> outputRange;   // FROM:TO (operating-point) or FROM:TO:COUNT
  std::optional<std::string> meltTemp;      // die-curve
  std::optional<std::string> csvFile;
  std::optional<std::string> jsonFile;      // operating-point
  std::optional<std::string> vary;          // operating-point of a screw fed with pellets: NAME=FROM:TO:COUNT
};

// The command `args[0]` names, when it is one of these two.
std::optional<DieCommand> FindDieCommand(const std::vector<std::string>& args);

// Parses the arguments after the command name. Throws UsageError for an option the command
// does not take, a missing value, and --rpm or --melt-temp or --output-rate left out.
DieCommandLine ParseDieCommandLine(DieCommand command, const std::vector<std::string>& args);

// The usage line after the program's name and the part of --help that describes the command.
std::string DieUsage(DieCommand command);
std::string DieCommandHelp(DieCommand command);

}  // namespace kelvado::cli
