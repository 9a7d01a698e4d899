// SPDX-License-Identifier: Apache-2.0
#include "cli/batch_command.h"

#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

#include "cli/pellet_study_command.h"
#include "case/case_plan.h"
#include "cli/zone_texts.h"
#include "cli/decimal_separator.h"
#include "files/interrupt.h"
#include "files/output_file.h"
#include "cli/progress_bar.h"
#include "cli/run_command.h"
#include "cli/table_units.h"
#include "cli/usage_error.h"

namespace kelvado::cli {
namespace {

// The rows that size the terminal table's columns before it is printed.
constexpr std::size_t kSizingRows = 1000;

struct SummaryColumn {
  Column column;
  double OutletSummary::*value;
};

const SummaryColumn kSpeed{{"Screw speed", "rpm", 2}, &OutletSummary::Rpm};
const SummaryColumn kPressure{{"Outlet pressure", "kgf/cm2", 2}, &OutletSummary::OutletPressure};
const SummaryColumn kTemperature{{"Mean outlet temp", "\u00B0C", 2}, &OutletSummary::AvgTemp};
const SummaryColumn kPower{{"Total power", "kW", 3}, &OutletSummary::TotalPowerKW};
const SummaryColumn kCooling1{{"Cooling 1", "kW", 3}, &OutletSummary::Cooling1KW};
const SummaryColumn kCooling2{{"Cooling 2", "kW", 3}, &OutletSummary::Cooling2KW};

// The columns of the table: the case index when sharded, the inputs that vary, the outlet
// summary, the outcome and its message; and the widths known before any case has run.
struct Layout {
  std::vector<Column> columns;
  std::vector<std::size_t> widths;
};

// A model other than the classic one is named in a column of its own, so that no table
// passes for the other model's.
Layout LayOut(const CasePlan& plan, const std::vector<SummaryColumn>& summary, const std::optional<Shard>& shard,
              std::size_t lastIndex, char separator, FlowModel model) {
  Layout layout;
  if (shard) {
    layout.columns.push_back({"case", "", 0});
    layout.widths.push_back(std::to_string(lastIndex).size());
  }
  for (std::size_t c = 0; c < plan.inputColumns.size(); ++c) {
    const InputColumn& column = plan.inputColumns[c];
    layout.columns.push_back({column.name, column.unit, column.decimals});
    std::size_t width = 0;
    for (const double value : plan.columnValues[c]) {
      width = std::max(width, ShownWidth(value, plan.inputColumns[c].decimals, separator));
    }
    layout.widths.push_back(width);
  }
  if (model != FlowModel::Classic) {
    layout.columns.push_back({"flow-model", "", 0});
    layout.widths.push_back(std::string_view(FlowModelName(model)).size());
  }
  for (const SummaryColumn& s : summary) layout.columns.push_back(s.column);
  layout.columns.push_back({"Outcome", "", 0});
  layout.columns.push_back({"Message", "", 0});
  return layout;
}

std::vector<Cell> Row(const std::optional<Shard>& shard, std::size_t index, const std::vector<double>& inputs,
                      FlowModel model, const SweepResult& result, const std::vector<SummaryColumn>& summary) {
  std::vector<Cell> row;
  if (shard) row.emplace_back(std::to_string(index));
  for (const double value : inputs) {
    if (std::isfinite(value)) {
      row.emplace_back(value);
    } else {
      row.emplace_back();
    }
  }
  if (model != FlowModel::Classic) row.emplace_back(std::string(FlowModelName(model)));
  for (const SummaryColumn& s : summary) {
    if (result.status == RunStatus::Finished) {
      row.emplace_back(result.summary.*s.value);
    } else {
      row.emplace_back();
    }
  }
  row.emplace_back(std::string(StatusName(result.status)));
  row.emplace_back(result.message);
  return row;
}

}  // namespace

ExitCode BatchFromCommandLine(const CommandLine& command, std::ostream& out, std::ostream& err, bool progressBar,
                              bool tableOnBarsTerminal, std::ostream* barTerminal) {
  const RunOptions& run = command.run;
  const BatchOptions& batch = command.batch;
  const char separator = run.decimalSeparator ? *run.decimalSeparator : SeparatorFromEnvironment();
  const CaseData composed = ComposeCase(run, separator);
  if (composed.feed == Feed::Pellets) return PelletBatch(command, composed, separator, out, err);
  for (const VariedField& v : batch.varied) {
    if (v.pellet) throw UsageError::Of("--vary ", VariedName(v), ": pellet values vary with --feed pellets only");
  }
  const bool sweep = command.action == Action::Sweep;
  const std::optional<std::vector<ScrewZone>> read = ReadZones(composed.zones, err);
  if (!read) return kExitImproperInput;
  const std::vector<ScrewZone>& zones = *read;
  // The command line's speed, else the case's.
  const std::optional<std::string> rpm = batch.rpm ? batch.rpm : composed.rpm;
  const CasePlan plan =
      sweep ? SweepCases(composed.inputs, batch.varied, separator, batch.csvFile ? kMaxCsvSweepCases : kMaxSweepCases,
                         zones, rpm ? std::optional<double>(RpmOf(*rpm, separator)) : std::nullopt)
            : CharacteristicCases(composed.inputs, *batch.outputs, *batch.rpm, separator, zones);
  // This run's cases are the plan's K, K + N, K + 2N, ...
  const Shard shard = batch.shard.value_or(Shard{});
  const std::size_t count = plan.count > shard.index ? (plan.count - shard.index - 1) / shard.count + 1 : 0;
  auto planIndex = [&](std::size_t i) { return shard.index + i * shard.count; };

  // Found out before the cases run, not after.
  std::optional<OutputFile> csv;
  try {
    if (batch.csvFile) {
      CheckOutputs({*batch.csvFile}, InputPaths(run));
      csv.emplace(*batch.csvFile);
    }
  } catch (const OutputError& error) {
    err << error.what() << '\n';
    return kExitFileNotOpened;
  }

  const std::vector<SummaryColumn> summary =
      sweep ? std::vector{kSpeed, kPressure, kTemperature, kPower, kCooling1, kCooling2}
            : std::vector{kSpeed, kPressure, kTemperature, kPower};
  const Layout layout =
      LayOut(plan, summary, batch.shard, count == 0 ? 0 : planIndex(count - 1), separator, composed.flowModel);
  // The printed table in the asked pressure unit; the CSV keeps kgf/cm2.
  TablePrinter table(out, ColumnsInPressureUnit(layout.columns, run.pressureUnit), separator, kSizingRows,
                     layout.widths);

  SweepOptions options;
  options.threads = batch.threads;
  options.decimalSeparator = separator;
  options.flowModel = composed.flowModel;
  options.cancel = &InterruptRequested();
  std::unique_ptr<ProgressBar> bar;
  if (progressBar) {
    bar = std::make_unique<ProgressBar>(barTerminal != nullptr ? *barTerminal : err, count);
    options.progress = [&bar](std::size_t done, std::size_t) { bar->Update(done); };
  }
  // The input values of the cases made and not yet handed on: no more than the sweep's window.
  std::mutex madeLock;
  std::map<std::size_t, std::vector<double>> inputValues;
  SweepStream stream;
  stream.count = count;
  stream.make = [&](std::size_t i) {
    std::vector<double> values;
    SweepCase c = plan.make(planIndex(i), values);
    const std::lock_guard<std::mutex> guard(madeLock);
    inputValues.emplace(i, std::move(values));
    return c;
  };
  stream.deliver = [&](std::size_t i, const SweepResult& result) {
    std::vector<double> values;
    {
      const std::lock_guard<std::mutex> guard(madeLock);
      if (auto made = inputValues.find(i); made != inputValues.end()) {
        values = std::move(made->second);
        inputValues.erase(made);
      }
    }
    values.resize(plan.inputColumns.size(), std::nan(""));  // a case never made shows none
    if (options.cancel->load()) return;  // the table stops where it got to
    const std::vector<Cell> row = Row(batch.shard, planIndex(i), values, composed.flowModel, result, summary);
    if (csv) csv->Write(CsvRow(row));
    if (bar && tableOnBarsTerminal) bar->Clear();
    table.Add(RowInPressureUnit(layout.columns, row, run.pressureUnit));
  };

  try {
    if (csv) csv->Write(CsvHeading(layout.columns));
    StreamSweep(stream, options);
    if (bar) bar->Clear();
    if (const std::optional<ExitCode> interrupted = InterruptExitCode()) {
      out.flush();
      err << "The cases were cancelled; the table stops where it got to and the CSV file was left as it was.\n";
      return *interrupted;
    }
    table.Finish();
    if (csv) csv->Close();
  } catch (const OutputError& error) {
    if (bar) bar->Clear();
    err << error.what() << '\n';
    return ExitCodeFor(error);
  }
  return kExitFinished;
}

}  // namespace kelvado::cli
