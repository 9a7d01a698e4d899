// SPDX-License-Identifier: Apache-2.0
#pragma once
// The command line of kelvado-cli: one run by default, or `sweep` / `characteristic` as the
// first argument for many. Every command takes one long option per input field, the inputs
// file and the decimal separator; the rest depends on the command.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "case/compose.h"
#include "case/case_plan.h"
#include "report/results_file.h"
#include "solver/units.h"

namespace kelvado::cli {

// The case's sources (CaseSources: the field options, --material, --inputs, --flow-model)
// and what a single run writes.
struct RunOptions : CaseSources {
  std::string resultFileName{kDefaultResultFileName};
  std::optional<char> decimalSeparator;    // unset: the user's locale decides
  TextEncoding encoding = TextEncoding::ShiftJis;
  std::optional<std::string> csvFolder;    // steps.csv and outlet.csv of a finished run
  std::optional<std::string> jsonFile;
  PressureUnit pressureUnit = kKgfPerCm2;  // of the printed summary and tables only
};

// One part of a sweep or characteristic spread over machines: the cases whose index (from
// 0, in the order of the table) is `index` modulo `count`.
struct Shard {
  std::size_t index = 0;
  std::size_t count = 1;
};

// What a sweep or a characteristic adds to the case of RunOptions.
struct BatchOptions {
  std::vector<VariedField> varied;         // sweep: in the order given
  std::optional<RangeText> outputs;        // characteristic: the output range
  std::optional<std::string> rpm;          // the screw speed, as text: characteristic, a driven sweep
  unsigned threads = 0;                    // 0: one per core
  std::optional<std::string> csvFile;
  std::optional<Shard> shard;              // given: the case index leads every row
};

enum class Action { Run, Sweep, Characteristic, Help, Version };

struct CommandLine {
  Action action = Action::Run;
  RunOptions run;
  BatchOptions batch;
};

// Parses the arguments after the program name. An option's text may be given as
// `--name TEXT` or `--name=TEXT` and may begin with '-'; a later option replaces an
// earlier one (--vary adds a range). Throws UsageError, also for an option the command
// does not take and for a sweep or characteristic that misses what it needs.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The whole help, or with `command` (sweep, characteristic, operating-point, die-curve,
// materials, "materials fit", "materials from-cross-wlf", "materials from-carreau") that
// command's alone; every one ends with the table of exit statuses.
std::string HelpText(std::string_view program, std::string_view command = {});

}  // namespace kelvado::cli
