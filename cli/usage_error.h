// SPDX-License-Identifier: Apache-2.0
#pragma once
// A command line or inputs file that cannot be understood: the program stops before any run.
// The case layer's InputError, under the name the command line has always used.
#include "solver/input_error.h"

namespace kelvado::cli {

using UsageError = InputError;

}  // namespace kelvado::cli
