#include "cli/run_command.h"

#include <filesystem>
#include <string>
#include <vector>

#include "cli/console_services.h"
#include "cli/decimal_separator.h"
#include "case/compose.h"
#include "cli/interrupt.h"
#include "cli/output_file.h"
#include "cli/run_exports.h"
#include "cli/summary.h"

namespace kelvado::cli {

namespace {

// Every file a single run writes, results file first.
std::vector<std::string> OutputPaths(const RunOptions& options) {
  std::vector<std::string> paths{CutResultFileName(options.resultFileName)};
  if (options.jsonFile) paths.push_back(*options.jsonFile);
  if (options.csvFolder) {
    paths.push_back((std::filesystem::path(*options.csvFolder) / "steps.csv").string());
    paths.push_back((std::filesystem::path(*options.csvFolder) / "outlet.csv").string());
  }
  return paths;
}

}  // namespace

ExitCode RunFromCommandLine(const RunOptions& options, std::ostream& out, std::ostream& err) {
  const char separator =
      options.decimalSeparator ? *options.decimalSeparator : SeparatorFromEnvironment();
  const std::vector<std::string> outputs = OutputPaths(options);
  RefuseSameFileTwice(outputs);
  try {
    for (std::size_t i = 1; i < outputs.size(); ++i) RefuseSpecialFile(outputs[i]);
  } catch (const OutputError& error) {
    err << error.what() << '\n';
    return kExitFileNotOpened;
  }
  const CaseData c = ComposeCase(options, separator);
  RunRequest request{c.inputs, options.resultFileName, separator, options.encoding};
  request.flowModel = c.flowModel;
  // The steps are kept only for the exports that write them.
  if (options.jsonFile || options.csvFolder) request.keptSteps = kKeepEverySteps;
  ConsoleServices services(err);
  const RunOutcome outcome = RunWithResultsFile(request, services);

  // The run shows its own messages; these two endings are for the front end to report.
  switch (outcome.status) {
    case RunStatus::ArithmeticFault:
      err << "Arithmetic fault: " << outcome.detail << "; the run stopped.\n";
      break;
    case RunStatus::WriteError:
      err << "Write error on the results file '" << CutResultFileName(options.resultFileName)
          << "': " << outcome.detail << "; the run stopped and the file keeps what was written.\n";
      break;
    case RunStatus::Cancelled:
      err << "The run was cancelled.\n";
      break;
    case RunStatus::Finished:
      WriteSummary(out, outcome.summary, separator, options.pressureUnit);
      for (const std::string& warning : outcome.warnings) err << "Warning: " << warning << '\n';
      break;
    default:
      break;
  }
  // A failed run's own status says more than a file it could not export.
  ExitCode code = ExitCodeFor(outcome.status);
  if (outcome.status == RunStatus::Cancelled) code = InterruptExitCode().value_or(code);
  try {
    WriteRunExports(options, request, outcome);
  } catch (const OutputError& error) {
    err << error.what() << '\n';
    if (code == kExitFinished) code = kExitFileNotOpened;
  }
  return code;
}

}  // namespace kelvado::cli
