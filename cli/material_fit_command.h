// SPDX-License-Identifier: Apache-2.0
#pragma once
// `materials fit`, `materials from-cross-wlf` and `materials from-carreau`: the power law
// fitted to a data file or a data sheet's model, printed, written as JSON and kept as a
// user material on request.
#include <ostream>
#include <string>
#include <vector>

#include "files/exit_codes.h"
#include "cli/material_fit_options.h"

namespace kelvado::cli {

// Prints the fit and its warnings to `out`, writes --json, saves with --save. Throws
// UsageError for data that can not be fitted, naming the file and line, and for a material
// that can not be saved; nothing is saved then.
ExitCode FitFromCommandLine(const FitCommandLine& line, std::ostream& out, std::ostream& err);

}  // namespace kelvado::cli
