// SPDX-License-Identifier: Apache-2.0
#pragma once
// One calculation from the command line: defaults, then the inputs file, then the options;
// the run's messages and any fault report to `err`, the outlet summary to `out`, then the
// exports asked for.
#include <ostream>
#include <string>
#include <vector>

#include "cli/exit_codes.h"
#include "cli/options.h"

namespace kelvado::cli {

// What a command runs: the seventeen texts (the defaults written with `separator`, then the
// material, the command line's or else the inputs file's, then the inputs file's fields,
// then the options), the flow model (the option, else the file's, else classic) and the die
// the inputs file holds. Throws UsageError when the file is unusable or the material unknown.
struct ComposedCase {
  InputTexts inputs;
  FlowModel flowModel = FlowModel::Classic;
  std::vector<std::string> dieSections;
};
ComposedCase ComposeCase(const RunOptions& options, char separator);

inline InputTexts ComposeInputTexts(const RunOptions& options, char separator) {
  return ComposeCase(options, separator).inputs;
}

// The files a command reads (the inputs file), which none of its outputs may name.
std::vector<std::string> InputPaths(const RunOptions& options);

ExitCode RunFromCommandLine(const RunOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kelvado::cli
