// SPDX-License-Identifier: Apache-2.0
#include "cli/write_or_say.h"

#include "files/output_file.h"

namespace kelvado::cli {

void WriteOrSay(const std::optional<std::string>& path, const std::string& bytes, std::ostream& err, ExitCode& code) {
  if (!path) return;
  try {
    WriteWholeFile(*path, bytes);
  } catch (const OutputError& error) {
    err << error.what() << '\n';
    if (code == kExitFinished) code = ExitCodeFor(error);
  }
}

}  // namespace kelvado::cli
