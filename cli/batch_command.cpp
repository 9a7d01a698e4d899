#include "cli/batch_command.h"

#include <cmath>
#include <memory>
#include <optional>

#include "cli/batch_plan.h"
#include "cli/decimal_separator.h"
#include "cli/interrupt.h"
#include "cli/output_file.h"
#include "cli/progress_bar.h"
#include "cli/run_command.h"
#include "cli/table_units.h"

namespace kelvado::cli {
namespace {

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

// A model other than the classic one is named in a column of its own, so that no table
// passes for the other model's.
ResultTable Tabulate(const BatchPlan& plan, const std::vector<SweepResult>& results,
                     const std::vector<SummaryColumn>& summary, FlowModel model) {
  const bool named = model != FlowModel::Classic;
  ResultTable table;
  table.columns = plan.inputColumns;
  if (named) table.columns.push_back({"flow-model", "", 0});
  for (const SummaryColumn& s : summary) table.columns.push_back(s.column);
  table.columns.push_back({"Outcome", "", 0});
  table.columns.push_back({"Message", "", 0});
  for (std::size_t i = 0; i < results.size(); ++i) {
    const SweepResult& result = results[i];
    std::vector<Cell>& row = table.rows.emplace_back();
    for (const double value : plan.inputValues[i]) {
      if (std::isfinite(value)) {
        row.emplace_back(value);
      } else {
        row.emplace_back();
      }
    }
    if (named) row.emplace_back(std::string(FlowModelName(model)));
    for (const SummaryColumn& s : summary) {
      if (result.status == RunStatus::Finished) {
        row.emplace_back(result.summary.*s.value);
      } else {
        row.emplace_back();
      }
    }
    row.emplace_back(std::string(StatusName(result.status)));
    row.emplace_back(result.message);
  }
  return table;
}

}  // namespace

ExitCode BatchFromCommandLine(const CommandLine& command, std::ostream& out, std::ostream& err, bool progressBar) {
  const RunOptions& run = command.run;
  const BatchOptions& batch = command.batch;
  const char separator = run.decimalSeparator ? *run.decimalSeparator : SeparatorFromEnvironment();
  const ComposedCase composed = ComposeCase(run, separator);
  const InputTexts& base = composed.inputs;
  const bool sweep = command.action == Action::Sweep;
  const BatchPlan plan = sweep ? PlanSweep(base, batch.varied, separator)
                               : PlanCharacteristic(base, *batch.outputs, *batch.rpm, separator);

  // Found out before the cases run, not after.
  std::optional<OutputFile> csv;
  try {
    if (batch.csvFile) csv.emplace(*batch.csvFile);
  } catch (const OutputError& error) {
    err << error.what() << '\n';
    return kExitFileNotOpened;
  }

  SweepOptions options;
  options.threads = batch.threads;
  options.decimalSeparator = separator;
  options.flowModel = composed.flowModel;
  options.cancel = &InterruptRequested();
  std::unique_ptr<ProgressBar> bar;
  if (progressBar) {
    bar = std::make_unique<ProgressBar>(err, plan.cases.size());
    options.progress = [&bar](std::size_t done, std::size_t) { bar->Update(done); };
  }
  const std::vector<SweepResult> results = RunSweep(plan.cases, options);
  if (bar) bar->Clear();
  if (const std::optional<ExitCode> interrupted = InterruptExitCode()) {
    err << "The cases were cancelled; no table was written and the CSV file was left as it was.\n";
    return *interrupted;
  }

  const ResultTable table =
      Tabulate(plan, results,
               sweep ? std::vector{kSpeed, kPressure, kTemperature, kPower, kCooling1, kCooling2}
                     : std::vector{kSpeed, kPressure, kTemperature, kPower},
               composed.flowModel);
  PrintTable(out, WithPressureUnit(table, run.pressureUnit), separator);
  if (!csv) return kExitFinished;
  try {
    csv->Write(TableCsv(table));
    csv->Close();
  } catch (const OutputError& error) {
    err << error.what() << '\n';
    return kExitFileNotOpened;
  }
  return kExitFinished;
}

}  // namespace kelvado::cli
