#include "run_command.h"

#include "console_services.h"
#include "decimal_separator.h"
#include "inputs_file.h"
#include "output_file.h"
#include "run_exports.h"
#include "summary.h"

namespace kelvado::cli {

InputTexts ComposeInputTexts(const RunOptions& options, char separator) {
  InputTexts texts = DefaultInputTexts(separator);
  if (options.inputsFile) ApplyOverrides(texts, ReadInputsFile(*options.inputsFile));
  ApplyOverrides(texts, options.fields);
  return texts;
}

ExitCode RunFromCommandLine(const RunOptions& options, std::ostream& out, std::ostream& err) {
  const char separator =
      options.decimalSeparator ? *options.decimalSeparator : SeparatorFromEnvironment();
  const RunRequest request{ComposeInputTexts(options, separator), options.resultFileName, separator,
                           options.encoding};
  ConsoleServices services(err);
  const RunOutcome outcome = RunCalculation(request, services);

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
      WriteSummary(out, outcome.summary, separator);
      break;
    default:
      break;
  }
  // A failed run's own status says more than a file it could not export.
  ExitCode code = ExitCodeFor(outcome.status);
  try {
    WriteRunExports(options, request, outcome);
  } catch (const OutputError& error) {
    err << error.what() << '\n';
    if (code == kExitFinished) code = kExitFileNotOpened;
  }
  return code;
}

}  // namespace kelvado::cli
