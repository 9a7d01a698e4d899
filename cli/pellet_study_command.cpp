// SPDX-License-Identifier: Apache-2.0
#include "cli/pellet_study_command.h"

#include <variant>

#include "case/pellet_case.h"
#include "case/range.h"
#include "cli/pellet_run_command.h"
#include "report/result_table.h"
#include "cli/table_units.h"
#include "cli/usage_error.h"
#include "cli/write_or_say.h"
#include "cli/zone_texts.h"
#include "files/interrupt.h"
#include "files/output_file.h"

namespace kelvado::cli {
namespace {

// A table of pellet cases is made whole before it is printed: each case is a screw's worth
// of stages, so a few thousand is a long study already.
constexpr std::size_t kMostPelletCases = 5000;

std::vector<Cell> CaseCells(const PelletOutcome& o) {
  const Plastication& p = o.plastication;
  auto optional = [](const std::optional<double>& v) { return v ? Cell{*v} : Cell{}; };
  if (o.run.status != RunStatus::Finished || o.profile.empty()) {
    return {Cell{}, Cell{}, Cell{}, Cell{}, Cell{}, Cell{}, std::string(StatusName(o.run.status)), o.run.detail};
  }
  return {o.profile.back().pressure, optional(o.profile.back().meanMeltTemp), optional(p.meltingStartTurn),
          optional(p.meltingEndTurn), p.unmeltedAtEnd, p.peakSolidsPressure,
          std::string(StatusName(o.run.status)), o.run.warnings.empty() ? std::string() : o.run.warnings.front()};
}

}  // namespace

std::optional<std::string> SetVaried(PelletRequest& request, const VariedField& varied, double value, char separator) {
  if (varied.pellet) {
    request.pellet[*varied.pellet] = value;
  } else if (varied.zoneValue) {
    return SetZoneValue(request.run.zones, *varied.zoneValue, value);
  } else {
    request.run.inputs[varied.field] = ExactNumberText(value, separator);
  }
  return std::nullopt;
}

ExitCode PelletBatch(const CommandLine& command, const CaseData& c, char separator, std::ostream& out,
                     std::ostream& err) {
  const BatchOptions& batch = command.batch;
  const bool sweep = command.action == Action::Sweep;
  const std::optional<std::string> rpm = batch.rpm ? batch.rpm : c.rpm;
  if (!rpm) throw UsageError::Of(kPelletsNeedSpeed);
  if (batch.shard) throw UsageError::Of("--shard is not taken with --feed pellets");
  std::optional<PelletRequest> read = PelletRequestOf(c, separator, RpmOf(*rpm, separator), err);
  if (!read) return kExitImproperInput;
  PelletRequest& base = *read;
  base.run.writeResultsFile = false;

  // The varied values, the first varying slowest; a characteristic varies the output.
  std::vector<VariedField> varied = batch.varied;
  if (!sweep) {
    VariedField output;
    output.field = Field::OutputRate;
    output.range = *batch.outputs;
    varied = {output};
  }
  std::vector<std::vector<double>> values;
  std::size_t count = 1;
  for (const VariedField& v : varied) {
    values.push_back(RangeValues(v.range, separator, "--vary " + VariedName(v)));
    count *= values.back().size();
    if (count > kMostPelletCases) {
      throw UsageError::Of("a study of pellet cases takes at most ", std::to_string(kMostPelletCases), " cases");
    }
  }
  std::optional<std::string> csvFile = batch.csvFile;
  ResultTable table;
  for (const VariedField& v : varied) {
    table.columns.push_back({VariedName(v), std::string(v.pellet ? PelletFieldOf(*v.pellet).unit : ""), Column::kShortest});
  }
  for (const Column& column : std::vector<Column>{{"Pressure at the end", "kgf/cm2", 2},
                                                  {"Melt temp at the end", "\u00B0C", 2},
                                                  {"Melting from", "turn", 2},
                                                  {"to", "turn", 2},
                                                  {"Unmelted at the end", "-", 3},
                                                  {"Peak solids pressure", "kgf/cm2", 2},
                                                  {"Outcome", "", 0},
                                                  {"Message", "", 0}}) {
    table.columns.push_back(column);
  }
  QuietServices quiet(&InterruptRequested());
  for (std::size_t i = 0; i < count; ++i) {
    if (InterruptRequested().load()) break;
    PelletRequest request = base;
    std::vector<Cell> row;
    std::optional<std::string> refused;
    std::size_t rest = i;
    for (std::size_t k = varied.size(); k-- > 0;) {
      const double value = values[k][rest % values[k].size()];
      rest /= values[k].size();
      row.insert(row.begin(), value);
      if (!refused) refused = SetVaried(request, varied[k], value, separator);
    }
    if (refused) {
      row.insert(row.end(), {Cell{}, Cell{}, Cell{}, Cell{}, Cell{}, Cell{}, std::string("improper input"), *refused});
    } else {
      const PelletOutcome outcome = RunPelletScrew(request, quiet);
      const std::vector<Cell> cells = CaseCells(outcome);
      row.insert(row.end(), cells.begin(), cells.end());
    }
    table.rows.push_back(std::move(row));
  }
  PrintTable(out, table, separator);
  if (const std::optional<ExitCode> interrupted = InterruptExitCode()) {
    err << "The cases were cancelled; the table stops where it got to.\n";
    return *interrupted;
  }
  ExitCode code = kExitFinished;
  WriteOrSay(csvFile, TableCsv(table), err, code);
  return code;
}

}  // namespace kelvado::cli
