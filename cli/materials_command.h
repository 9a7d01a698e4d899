// SPDX-License-Identifier: Apache-2.0
#pragma once
// `kelvado-cli materials [--json]`: the library and the user's materials with their sources.
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "files/exit_codes.h"
#include "materials/material_library.h"

namespace kelvado::cli {

// The arguments after `materials`: none prints a table of the materials, the library's
// first, then their sources and the two files; --json prints a JSON list of objects with
// name, family, source, conversion, origin ("library" or "user") and the eight values by
// option name; --help or -h prints `program`'s help. `fit`, `from-cross-wlf` and
// `from-carreau` as the first argument fit a material (cli/material_fit_command.h), its
// warnings to `err`. Throws UsageError for any other argument or an unreadable materials file.
ExitCode MaterialsFromCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                                  std::string_view program);

}  // namespace kelvado::cli
