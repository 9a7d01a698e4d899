// SPDX-License-Identifier: Apache-2.0
#include "cli/flood_fed_command.h"

#include <variant>

#include "case/case_plan.h"
#include "case/pellet_case.h"
#include "case/range.h"
#include "cli/pellet_study_command.h"
#include "cli/pellet_run_command.h"
#include "report/result_table.h"
#include "cli/table_units.h"
#include "cli/usage_error.h"
#include "cli/write_or_say.h"
#include "cli/zone_texts.h"
#include "files/output_file.h"
#include "report/json_document.h"
#include "screw/screw_export.h"
#include "studies/flood_fed.h"

namespace kelvado::cli {
namespace {

ResultTable PointTable(const FloodFedResult& r) {
  const Plastication& p = r.outcome.plastication;
  auto optional = [](const std::optional<double>& v) { return v ? Cell{*v} : Cell{std::string("-")}; };
  return {{{"output-rate", "kg/hr", 2},
           {"Screw pressure", "kgf/cm2", 2},
           {"Die pressure drop", "kgf/cm2", 2},
           {"Melt temp at the die", "\u00B0C", 2},
           {"Limited by", "", 0},
           {"Feed ceiling", "kg/hr", 2},
           {"Melting from", "turn", 2},
           {"to", "turn", 2},
           {"Peak solids pressure", "kgf/cm2", 2}},
          {{r.point.output, r.point.screwPressure, r.point.diePressure,
            r.outcome.profile.empty() ? Cell{std::string("-")} : optional(r.outcome.profile.back().meanMeltTemp),
            r.limitedBy, r.feedCeiling, optional(p.meltingStartTurn), optional(p.meltingEndTurn),
            p.peakSolidsPressure}}};
}

std::string ResultJson(const PelletRequest& request, const FloodFedResult& r) {
  Json document = r.status == OperatingPointStatus::Found ? Json::parse(PelletRunJson(request, r.outcome)) : Json::object();
  Json runs = Json::array();
  for (const FloodFedRun& run : r.runs) {
    runs.push_back({{"output_kg_per_hr", run.output},
                    {"status", StatusName(run.status)},
                    {"screwPressure_kgf_per_cm2", run.screwPressure},
                    {"diePressureDrop_kgf_per_cm2", run.diePressure}});
  }
  document["floodFed"] = {{"status", OperatingPointStatusName(r.status)},
                          {"message", r.message},
                          {"output_kg_per_hr", r.point.output},
                          {"limitedBy", r.limitedBy},
                          {"feedCeiling_kg_per_hr", r.feedCeiling},
                          {"screwPressure_kgf_per_cm2", r.point.screwPressure},
                          {"diePressureDrop_kgf_per_cm2", r.point.diePressure},
                          {"runs", runs}};
  return JsonText(document);
}

// The flood-fed output over a range of one value: how much the output hangs on a friction
// coefficient, the bulk density or a zone's barrel temperature.
ExitCode FloodFedSweep(const DieCommandLine& line, const FloodFedRequest& base, char separator, std::ostream& out,
                       std::ostream& err, const OperatingPointOptions& options) {
  const CommandLine parsed = ParseCommandLine({"sweep", "--vary", *line.vary});
  const VariedField& varied = parsed.batch.varied.front();
  const std::string name = VariedName(varied);
  ResultTable table{{{name, varied.pellet ? std::string(PelletFieldOf(*varied.pellet).unit) : "", Column::kShortest},
                     {"output-rate", "kg/hr", 2},
                     {"Limited by", "", 0},
                     {"Feed ceiling", "kg/hr", 2},
                     {"Screw pressure", "kgf/cm2", 2},
                     {"Melting to", "turn", 2},
                     {"Outcome", "", 0},
                     {"Message", "", 0}},
                    {}};
  for (const double value : RangeValues(varied.range, separator, "--vary " + name)) {
    if (options.cancel != nullptr && options.cancel->load()) break;
    FloodFedRequest request = base;
    if (const std::optional<std::string> refused = SetVaried(request.screw, varied, value, separator)) {
      table.rows.push_back({value, Cell{}, Cell{}, Cell{}, Cell{}, Cell{}, std::string("improper input"), *refused});
      continue;
    }
    const FloodFedResult r = FindFloodFedOutput(request, options);
    if (r.status == OperatingPointStatus::Found) {
      const auto& end = r.outcome.plastication.meltingEndTurn;
      table.rows.push_back({value, r.point.output, r.limitedBy, r.feedCeiling, r.point.screwPressure,
                            end ? Cell{*end} : Cell{}, std::string("found"), std::string()});
    } else {
      table.rows.push_back({value, Cell{}, Cell{}, r.feedCeiling, Cell{}, Cell{},
                            std::string(OperatingPointStatusName(r.status)), r.message});
    }
  }
  PrintTable(out, table, separator);
  if (options.cancel != nullptr && options.cancel->load()) {
    err << "The search was cancelled; the table stops where it got to.\n";
    return kExitInterrupted;
  }
  ExitCode code = kExitFinished;
  WriteOrSay(line.csvFile, TableCsv(table), err, code);
  return code;
}

}  // namespace

ExitCode FloodFedPoint(const DieCommandLine& line, const CaseData& c, char separator, const std::vector<DieSection>& die,
                       std::ostream& out, std::ostream& err, const std::atomic<bool>* cancel) {
  if (line.outputRange) throw UsageError::Of("a flood-fed screw finds its own output: leave out --output-rate");
  std::optional<PelletRequest> read = PelletRequestOf(c, separator, RpmOf(*line.rpm, separator), err);
  if (!read) return kExitImproperInput;
  FloodFedRequest request;
  request.screw = std::move(*read);
  if (const std::optional<std::string> problem = PelletInputProblem(request.screw.pellet)) {
    err << *problem << '\n';
    return kExitImproperInput;
  }
  if (c.flowModel != FlowModel::Consistent) {
    err << messages::kPelletsNeedConsistentModel << '\n';
    return kExitImproperInput;
  }
  request.die = die;
  OperatingPointOptions options;
  options.cancel = cancel;
  if (line.vary) return FloodFedSweep(line, request, separator, out, err, options);
  const FloodFedResult result = FindFloodFedOutput(request, options);
  ExitCode code = kExitFinished;
  switch (result.status) {
    case OperatingPointStatus::Found:
      PrintTable(out, PointTable(result), separator);
      out << "(" << result.runs.size() << " screw runs)\n";
      for (const std::string& warning : result.outcome.run.warnings) err << "Warning: " << warning << '\n';
      break;
    case OperatingPointStatus::NoCrossing:
    case OperatingPointStatus::RunFailed:
      err << "No operating point: " << result.message << ".\n";
      code = kExitNoOperatingPoint;
      break;
    case OperatingPointStatus::ImproperInput:
      err << result.message << ".\n";
      code = kExitImproperInput;
      break;
    case OperatingPointStatus::Cancelled:
      err << "The search was cancelled.\n";
      code = kExitInterrupted;
      break;
  }
  if (line.jsonFile) WriteOrSay(line.jsonFile, ResultJson(request.screw, result), err, code);
  return code;
}

}  // namespace kelvado::cli
