// SPDX-License-Identifier: Apache-2.0
#include "cli/run_command.h"

#include <filesystem>
#include <unistd.h>
#include <optional>
#include <string>
#include <vector>

#include "cli/console_services.h"
#include "cli/decimal_separator.h"
#include "cli/pellet_run_command.h"
#include "case/case_plan.h"
#include "case/compose.h"
#include "files/interrupt.h"
#include "files/output_file.h"
#include "cli/run_exports.h"
#include "cli/summary.h"
#include "cli/zone_texts.h"
#include "report/results_file.h"
#include "cli/usage_error.h"
#include "solver/input_fields.h"
#include "solver/screw_zones.h"
#include "solver/sweep.h"

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

// The results file on standard output is written to it in turn, whatever it is.
RunOutcome RunInto(const RunRequest& request, RunServices& services, bool onStandardOutput) {
  if (!onStandardOutput) return RunWithResultsFile(request, services);
  ResultFile file = ResultFile::OnDescriptor(STDOUT_FILENO, request.decimalSeparator, request.encoding, request.flowModel);
  return RunCalculation(request, services, file);
}

// A run driven at a screw speed, with or without zones: its fields as the speed and the zones
// set them (the flow-rate ratio from the speed; the zones' first section and length), and
// the zones. Returns the exit status of a run that can not be made so, its message written.
std::optional<ExitCode> DriveBySpeed(const RunOptions& options, const CaseData& c, char separator,
                                     RunRequest& request, std::ostream& err) {
  const std::optional<std::vector<ScrewZone>> read = ReadZones(c.zones, err);
  if (!read) return kExitImproperInput;
  const std::vector<ScrewZone>& zones = *read;
  if (!c.rpm) {
    if (!zones.empty()) throw UsageError::Of(kZonesNeedSpeed);
    return std::nullopt;
  }
  const double rpm = RpmOf(*c.rpm, separator);
  for (const Field field : {Field::LengthRatio, Field::ChannelDepth, Field::FlowRateRatio}) {
    const bool replaced = field == Field::FlowRateRatio || !zones.empty();
    if (replaced && options.fields[field]) {
      err << "Note: --" << FieldInfo(field).optionName << " is replaced by " << (zones.empty() ? "the screw speed" : "the zones")
          << ".\n";
    }
  }
  if (const std::optional<SweepResult> failed = DriveRequest(request, zones, rpm)) {
    err << failed->message << '\n';
    return ExitCodeFor(failed->status);
  }
  return std::nullopt;
}

}  // namespace

std::vector<std::string> InputPaths(const RunOptions& options) {
  std::vector<std::string> paths;
  if (options.inputsFile) paths.push_back(*options.inputsFile);
  // The user's materials file, read or not, is kept from every output by CheckOutputs.
  return paths;
}

void SayHowTheRunEnded(const RunOutcome& outcome, const std::string& resultFile, const ConsoleServices& shown,
                       std::ostream& err) {
  switch (outcome.status) {
    case RunStatus::ArithmeticFault:
      err << "Arithmetic fault: " << outcome.detail << "; the run stopped.\n";
      break;
    case RunStatus::WriteError:
      err << "Write error on the results file '" << resultFile << "': " << outcome.detail
          << "; the run stopped and an earlier file of that name is left as it was.\n";
      break;
    case RunStatus::Cancelled:
      err << "The run was cancelled.\n";
      break;
    case RunStatus::ImproperInput:
      // The run's own message does not say which field a text that is no number was in.
      if (!outcome.detail.empty() && outcome.detail != shown.LastMessage()) err << outcome.detail << ".\n";
      break;
    case RunStatus::InnerFailed:
    case RunStatus::ClosureFailed:
      // The run's own message stays as it always was; the line after it names the cause.
      if (!outcome.detail.empty() && outcome.detail != shown.LastMessage()) err << outcome.detail << '\n';
      break;
    default:
      break;
  }
}

ExitCode RunFromCommandLine(const RunOptions& options, std::ostream& out, std::ostream& err) {
  const char separator =
      options.decimalSeparator ? *options.decimalSeparator : SeparatorFromEnvironment();
  const std::vector<std::string> outputs = OutputPaths(options);
  try {
    CheckOutputs(outputs, InputPaths(options));
  } catch (const OutputError& error) {
    err << error.what() << '\n';
    return kExitFileNotOpened;
  }
  const CaseData c = ComposeCase(options, separator);
  if (c.feed == Feed::Pellets) return RunPelletsFromCommandLine(options, c, separator, out, err);
  RunRequest request{c.inputs, options.resultFileName, separator, options.encoding};
  request.flowModel = c.flowModel;
  request.maxProcessingTemp = c.maxProcessingTemp;
  request.fittedWindow = c.fittedWindow;
  if (const std::optional<ExitCode> refused = DriveBySpeed(options, c, separator, request, err)) return *refused;
  // The steps are kept only for the exports that write them.
  if (options.jsonFile || options.csvFolder) request.keptSteps = kKeepEverySteps;
  ConsoleServices services(err);
  const RunOutcome outcome = RunInto(request, services, IsStandardOutput(outputs[0]));

  SayHowTheRunEnded(outcome, CutResultFileName(options.resultFileName), services, err);
  if (outcome.status == RunStatus::Finished) {
    WriteSummary(out, outcome.summary, separator, options.pressureUnit);
    for (const std::string& warning : outcome.warnings) err << "Warning: " << warning << '\n';
  }
  return ExportAndExit(outcome.status, [&] { WriteRunExports(options, request, outcome); }, err);
}

ExitCode ExportAndExit(RunStatus status, const std::function<void()>& writeExports, std::ostream& err) {
  ExitCode code = ExitCodeFor(status);
  if (status == RunStatus::Cancelled) code = InterruptExitCode().value_or(code);
  try {
    writeExports();
  } catch (const OutputError& error) {
    err << error.what() << '\n';
    if (code == kExitFinished) code = ExitCodeFor(error);
  }
  if (const std::optional<ExitCode> interrupted = InterruptExitCode(); interrupted && code != *interrupted) {
    err << "Cancelled after the run; the exports were cut short or left out.\n";
    return *interrupted;
  }
  return code;
}

}  // namespace kelvado::cli
