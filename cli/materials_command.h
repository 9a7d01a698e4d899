// SPDX-License-Identifier: Apache-2.0
#pragma once
// `kelvado-cli materials [--json]`: the library and the user's materials with their
// sources; and the material that --material or an inputs file's `material = NAME` names.
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/exit_codes.h"
#include "materials/material_library.h"

namespace kelvado::cli {

// The material of that name (capitals or not), the library's before the user's. Throws
// UsageError when there is none, and when a materials file can not be read.
Material FindMaterial(std::string_view name);

// The arguments after `materials`: none prints a table of the materials, the library's
// first, then their sources and the two files; --json prints a JSON list of objects with
// name, family, source, conversion, origin ("library" or "user") and the eight values by
// option name; --help or -h prints `program`'s help. Throws UsageError for any other
// argument or an unreadable materials file.
ExitCode MaterialsFromCommandLine(const std::vector<std::string>& args, std::ostream& out, std::string_view program);

}  // namespace kelvado::cli
