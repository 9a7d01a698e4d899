// SPDX-License-Identifier: Apache-2.0
#include "cli/pellet_run_command.h"

#include <filesystem>
#include <variant>

#include "case/pellet_case.h"
#include "case/case_plan.h"
#include "cli/console_services.h"
#include "cli/run_command.h"
#include "cli/summary.h"
#include "cli/usage_error.h"
#include "cli/zone_texts.h"
#include "files/interrupt.h"
#include "files/output_file.h"
#include "report/export.h"
#include "report/results_file.h"
#include "screw/pellet_screw.h"
#include "screw/screw_export.h"

namespace kelvado::cli {
namespace {

void WritePlastication(std::ostream& out, const Plastication& p) {
  out << "Fed with pellets: " << TwoDecimalsText(p.output) << " kg/hr (the feed conveys "
      << TwoDecimalsText(p.noPressureOutput) << " kg/hr against no pressure rise)\n";
  out << "Peak solids pressure " << TwoDecimalsText(p.peakSolidsPressure) << " kgf/cm2 at turn "
      << ShortNumberText(p.peakSolidsPressureTurn) << '\n';
  if (p.meltingStartTurn) {
    out << "Melting from turn " << ShortNumberText(*p.meltingStartTurn) << " to "
        << (p.meltingEndTurn ? "turn " + ShortNumberText(*p.meltingEndTurn) : std::string("past the screw's end"))
        << "; unmelted at the end " << ShortNumberText(p.unmeltedAtEnd) << '\n';
  }
}

void WriteExports(const RunOptions& options, const PelletRequest& request, const PelletOutcome& outcome) {
  if (options.jsonFile) WriteWholeFile(*options.jsonFile, PelletRunJson(request, outcome));
  if (options.csvFolder && outcome.run.status == RunStatus::Finished && !InterruptRequested().load()) {
    const std::filesystem::path folder(*options.csvFolder);
    MakeFolder(folder.string());
    WriteWholeFile((folder / "steps.csv").string(), ScrewProfileCsv(outcome));
    if (!outcome.run.record.outlet.empty()) {
      WriteWholeFile((folder / "outlet.csv").string(), OutletCsv(outcome.run.record, request.run.flowModel));
    }
  }
}

}  // namespace

std::optional<PelletRequest> PelletRequestOf(const CaseData& c, char separator, double rpm, std::ostream& err) {
  const std::optional<std::vector<ScrewZone>> zones = ReadZones(c.zones, err);
  if (!zones) return std::nullopt;
  const auto pellet = ReadPelletInputs(c.pellet, separator);
  if (const std::string* problem = std::get_if<std::string>(&pellet)) {
    err << *problem << '\n';
    return std::nullopt;
  }
  PelletRequest request;
  request.run = RunRequest{c.inputs, "", separator};
  request.run.flowModel = c.flowModel;
  request.run.maxProcessingTemp = c.maxProcessingTemp;
  request.run.fittedWindow = c.fittedWindow;
  request.run.zones = *zones;
  request.rpm = rpm;
  request.pellet = std::get<PelletInputs>(pellet);
  return request;
}

ExitCode RunPelletsFromCommandLine(const RunOptions& options, const CaseData& c, char separator, std::ostream& out,
                                   std::ostream& err) {
  if (!c.rpm) throw UsageError::Of(kPelletsNeedSpeed);
  if (IsStandardOutput(CutResultFileName(options.resultFileName))) {
    throw UsageError::Of("a screw fed with pellets writes its results file to a file: give -o FILE");
  }
  std::optional<PelletRequest> read = PelletRequestOf(c, separator, RpmOf(*c.rpm, separator), err);
  if (!read) return kExitImproperInput;
  PelletRequest& request = *read;
  request.run.resultFileName = options.resultFileName;
  request.run.encoding = options.encoding;
  ConsoleServices services(err);
  const PelletOutcome outcome = RunPelletScrew(request, services);
  const RunOutcome& run = outcome.run;
  SayHowTheRunEnded(run, CutResultFileName(options.resultFileName), services, err);
  if (run.status == RunStatus::Finished) {
    WritePlastication(out, outcome.plastication);
    if (!run.record.outlet.empty()) WriteSummary(out, run.summary, separator, options.pressureUnit);
    for (const std::string& warning : run.warnings) err << "Warning: " << warning << '\n';
  }
  return ExportAndExit(run.status, [&] { WriteExports(options, request, outcome); }, err);
}

}  // namespace kelvado::cli
