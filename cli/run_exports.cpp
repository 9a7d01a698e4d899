// SPDX-License-Identifier: Apache-2.0
#include "cli/run_exports.h"

#include <filesystem>

#include "files/interrupt.h"
#include "files/output_file.h"
#include "report/export.h"

namespace kelvado::cli {

void WriteRunExports(const RunOptions& options, const RunRequest& request, const RunOutcome& outcome) {
  if (options.jsonFile) {
    OutputFile file(*options.jsonFile);
    if (WriteRunJson(request, outcome, [&file](std::string_view bytes) { file.Write(bytes); }, &InterruptRequested())) {
      file.Close();
    } else {
      WriteWholeFile(*options.jsonFile, RunJson(request, outcome, &InterruptRequested()));
    }
  }
  if (options.csvFolder && outcome.status == RunStatus::Finished && !InterruptRequested().load()) {
    const std::filesystem::path folder(*options.csvFolder);
    MakeFolder(folder.string());
    WriteWholeFile((folder / "steps.csv").string(), StepsCsv(outcome.record, request.flowModel));
    WriteWholeFile((folder / "outlet.csv").string(), OutletCsv(outcome.record, request.flowModel));
  }
}

}  // namespace kelvado::cli
