// SPDX-License-Identifier: Apache-2.0
#pragma once
// A command's output file (a table's CSV, a JSON document) written whole at the end.
#include <optional>
#include <ostream>
#include <string>

#include "files/exit_codes.h"

namespace kelvado::cli {

// Writes `bytes` to `path`, if given, under the rule of every output; a file that can not be
// written is said on `err` and, when the command had finished, sets its exit status.
void WriteOrSay(const std::optional<std::string>& path, const std::string& bytes, std::ostream& err, ExitCode& code);

}  // namespace kelvado::cli
