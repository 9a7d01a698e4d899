// SPDX-License-Identifier: Apache-2.0
#include "cli/operating_point_command.h"

#include <cmath>

#include "cli/decimal_separator.h"
#include "cli/flood_fed_command.h"
#include "files/output_file.h"
#include "case/range.h"
#include "report/number_format.h"
#include "report/operating_point_export.h"
#include "cli/zone_texts.h"
#include "solver/sweep.h"
#include "solver/units.h"
#include "report/result_table.h"
#include "cli/run_command.h"
#include "cli/table_units.h"
#include "cli/usage_error.h"
#include "cli/write_or_say.h"

namespace kelvado::cli {
namespace {

// The rows that size the terminal table's columns before it is printed.
constexpr std::size_t kSizingRows = 1000;

// The case and the die: defaults, then the inputs file, then the options; the die of the
// command line replaces the file's.
struct Case {
  char separator = '.';
  InputTexts inputs;
  FlowModel flowModel = FlowModel::Classic;
  std::vector<DieSection> die;
  std::vector<std::string> zoneTexts;
  CaseData composed;  // whole, for a screw fed with pellets
};

Case ComposeCase(const DieCommandLine& line) {
  Case c;
  c.separator = line.run.decimalSeparator ? *line.run.decimalSeparator : SeparatorFromEnvironment();
  CaseData composed = kelvado::ComposeCase(line.run, c.separator);
  c.composed = composed;
  c.inputs = std::move(composed.inputs);
  c.flowModel = composed.flowModel;
  c.zoneTexts = std::move(composed.zones);
  std::vector<std::string> dieTexts = line.dieTexts.empty() ? std::move(composed.dieSections) : line.dieTexts;
  if (dieTexts.empty()) {
    throw UsageError::Of("the die is missing: give --die SECTION, or 'die = SECTION' lines in the inputs file");
  }
  for (const std::string& text : dieTexts) c.die.push_back(ParseDieSection(text));  // throws DieInputError
  return c;
}

double NumberOption(const std::optional<std::string>& text, char separator, std::string_view what) {
  const std::optional<double> value = ParseNumber(*text, separator);
  if (!value) throw UsageError::Of(what, " takes a number, not '", *text, "'");
  return *value;
}

std::pair<double, double> OutputRangeOption(const std::string& text, char separator) {
  const std::size_t colon = text.find(':');
  const std::optional<double> from = ParseNumber(text.substr(0, colon), separator);
  const std::optional<double> to =
      colon == std::string::npos ? std::nullopt : ParseNumber(text.substr(colon + 1), separator);
  if (!from || !to || !(*from > 0) || !(*from < *to)) {
    throw UsageError::Of("--output-rate takes FROM:TO in kg/hr with 0 < FROM < TO, not '", text, "'");
  }
  return {*from, *to};
}

const Column kOutput{"output-rate", "kg/hr", 2};
const Column kRatio{"flow-rate-ratio", "-", 6};
const Column kOutletPressure{"Outlet pressure", "kgf/cm2", 2};
const Column kDieDrop{"Die pressure drop", "kgf/cm2", 2};
const Column kTemperature{"Mean outlet temp", "\u00B0C", 2};

ResultTable PointTable(const OperatingPointResult& result) {
  const ScrewRun& p = result.point;
  return {{kOutput, kRatio, {"Screw speed", "rpm", 2}, kOutletPressure, kDieDrop, kTemperature,
           {"Total power", "kW", 3}},
          {{p.output, p.flowRateRatio, p.summary.Rpm, p.summary.OutletPressure, p.DiePressureDrop(), p.summary.AvgTemp,
            p.summary.TotalPowerKW}}};
}

ResultTable SectionTable(const std::vector<DieSection>& die, const DieFlow& flow) {
  ResultTable table{{{"Die section", "", 0},
                     {"Pressure drop", "kgf/cm2", 2},
                     {"Apparent shear rate", "1/s", 1},
                     {"Wall shear rate", "1/s", 1}},
                    {}};
  for (std::size_t i = 0; i < die.size(); ++i) {
    const SectionFlow& s = flow.sections[i];
    table.rows.push_back({DieSectionText(die[i]), s.pressureDrop / kGfPerKgf, s.apparentShearRate, s.wallShearRate});
  }
  return table;
}

// The point's columns on each section's row.
ResultTable PointCsvTable(const OperatingPointResult& result, const std::vector<DieSection>& die) {
  const ResultTable point = PointTable(result);
  ResultTable table = SectionTable(die, result.point.die);
  table.columns.insert(table.columns.begin(), point.columns.begin(), point.columns.end());
  for (auto& row : table.rows) row.insert(row.begin(), point.rows[0].begin(), point.rows[0].end());
  return table;
}

// A printed table in the user's pressure unit; the CSV and JSON keep kgf/cm2.
ResultTable InUnit(ResultTable table, const PressureUnit& unit) {
  for (auto& row : table.rows) row = RowInPressureUnit(table.columns, std::move(row), unit);
  table.columns = ColumnsInPressureUnit(std::move(table.columns), unit);
  return table;
}

// The screw runs of a search that found nothing, so that the user sees where the curves were.
ResultTable RunsTable(const OperatingPointResult& result) {
  ResultTable table{{kOutput, kRatio, kOutletPressure, kDieDrop, kTemperature, {"Outcome", "", 0}, {"Message", "", 0}},
                    {}};
  for (const ScrewRun& run : result.runs) {
    std::vector<Cell>& row = table.rows.emplace_back(std::vector<Cell>{run.output, run.flowRateRatio});
    if (run.status == RunStatus::Finished) {
      row.insert(row.end(), {run.summary.OutletPressure, run.DiePressureDrop(), run.summary.AvgTemp});
    } else {
      row.resize(5);
    }
    row.insert(row.end(), {std::string(StatusName(run.status)), run.message});
  }
  return table;
}

ExitCode OperatingPoint(const DieCommandLine& line, const Case& c, std::ostream& out, std::ostream& err,
                        const std::atomic<bool>* cancel) {
  OperatingPointRequest request;
  request.inputs = c.inputs;
  request.flowModel = c.flowModel;
  const std::optional<std::vector<ScrewZone>> zones = ReadZones(c.zoneTexts, err);
  if (!zones) return kExitImproperInput;
  request.zones = *zones;
  request.decimalSeparator = c.separator;
  request.rpm = NumberOption(line.rpm, c.separator, "--rpm");
  if (!(request.rpm > 0)) throw UsageError::Of("--rpm takes a screw speed above zero, not '", *line.rpm, "'");
  request.die = c.die;
  request.maxProcessingTemp = c.composed.maxProcessingTemp;
  request.fittedWindow = c.composed.fittedWindow;
  if (line.outputRange) std::tie(request.outputFrom, request.outputTo) = OutputRangeOption(*line.outputRange, c.separator);

  OperatingPointOptions options;
  options.cancel = cancel;
  const OperatingPointResult result = FindOperatingPoint(request, options);
  for (const std::string& warning : result.warnings) err << "Warning: " << warning << '\n';

  ExitCode code = kExitFinished;
  switch (result.status) {
    case OperatingPointStatus::Found:
      // The run at the point warns as a single run of it would (the window's die page says the same).
      for (const std::string& warning : result.point.warnings) err << "Warning: " << warning << '\n';
      PrintTable(out, InUnit(PointTable(result), line.run.pressureUnit), c.separator);
      out << "(" << result.runs.size() << " screw runs, " << TwoDecimalsText(result.outputFrom, c.separator) << " to "
          << TwoDecimalsText(result.outputTo, c.separator) << " kg/hr searched)\n\n";
      PrintTable(out, InUnit(SectionTable(request.die, result.point.die), line.run.pressureUnit), c.separator);
      WriteOrSay(line.csvFile, TableCsv(PointCsvTable(result, request.die)), err, code);
      break;
    case OperatingPointStatus::NoCrossing:
    case OperatingPointStatus::RunFailed:
      err << "No operating point: " << result.message << ".\n";
      PrintTable(out, InUnit(RunsTable(result), line.run.pressureUnit), c.separator);
      code = kExitNoOperatingPoint;
      break;
    case OperatingPointStatus::ImproperInput:
      err << result.message << '\n';
      code = kExitImproperInput;
      break;
    case OperatingPointStatus::Cancelled:
      err << "The search was cancelled.\n";
      code = kExitInterrupted;
      break;
  }
  WriteOrSay(line.jsonFile, OperatingPointJson(request, result), err, code);
  return code;
}

// Rows are printed and written as they are worked out, so that memory stays flat however
// many outputs; a signal stops the table where it got to and leaves the CSV file as it was.
ExitCode DieCurve(const DieCommandLine& line, const Case& c, std::ostream& out, std::ostream& err,
                  const std::atomic<bool>* cancel) {
  const double temp = NumberOption(line.meltTemp, c.separator, "--melt-temp");
  const std::vector<double> outputs =
      RangeValues(ParseRange(*line.outputRange, "--output-rate"), c.separator, "--output-rate");
  for (const double output : outputs) {
    if (output < 0) throw UsageError::Of("--output-rate: the outputs must not be below zero");
  }
  const Die die(c.die, MeltOfInputs(c.inputs, c.separator));  // throws DieInputError
  for (const DieSection& section : c.die) {
    if (const std::string warning = DieSectionWarning(section); !warning.empty()) err << "Warning: " << warning << '\n';
  }
  std::optional<OutputFile> csv;
  try {
    if (line.csvFile) csv.emplace(*line.csvFile);
  } catch (const OutputError& error) {
    err << error.what() << '\n';
    return kExitFileNotOpened;
  }
  const PressureUnit& unit = line.run.pressureUnit;

  std::vector<Column> columns{{kOutput.name, kOutput.unit, Column::kShortest}, {"Volume rate", "cm3/s", 3}, {"Pressure drop", "kgf/cm2", 2}};
  for (std::size_t i = 1; i <= c.die.size(); ++i) {
    columns.push_back({std::to_string(i) + ": pressure drop", "kgf/cm2", 2});
    columns.push_back({std::to_string(i) + ": shear rate", "1/s", 1});
  }
  for (std::size_t i = 0; i < c.die.size(); ++i) out << i + 1 << ": " << DieSectionText(c.die[i]) << '\n';
  out << '\n';
  TablePrinter table(out, ColumnsInPressureUnit(columns, unit), c.separator, kSizingRows);
  try {
    if (csv) csv->Write(CsvHeading(columns));
    for (const double output : outputs) {
      if (cancel != nullptr && cancel->load()) {
        out.flush();
        err << "The die curve was cancelled; the table stops where it got to and the CSV file was left as it was.\n";
        return kExitInterrupted;
      }
      const double q = VolumeRateOf(output, die.melt());
      const DieFlow flow = die.FlowAt(q, temp);
      if (!std::isfinite(flow.pressureDrop)) {
        err << "The die's pressure drop at " << ShortNumberText(output, c.separator) << " kg/hr and " << ShortNumberText(temp, c.separator)
            << " \u00B0C is beyond the range of numbers.\n";
        return kExitImproperInput;
      }
      std::vector<Cell> row{output, q, flow.pressureDrop / kGfPerKgf};
      for (const SectionFlow& s : flow.sections) row.insert(row.end(), {s.pressureDrop / kGfPerKgf, s.apparentShearRate});
      if (csv) csv->Write(CsvRow(row));
      table.Add(RowInPressureUnit(columns, std::move(row), unit));
    }
    table.Finish();
    if (csv) csv->Close();
  } catch (const OutputError& error) {
    err << error.what() << '\n';
    return ExitCodeFor(error);
  }
  return kExitFinished;
}

}  // namespace

ExitCode DieCommandFromCommandLine(const DieCommandLine& line, std::ostream& out, std::ostream& err,
                                   const std::atomic<bool>* cancel) {
  try {
    std::vector<std::string> outputs;
    for (const auto* file : {&line.csvFile, &line.jsonFile}) {
      if (*file) outputs.push_back(**file);
    }
    try {
      CheckOutputs(outputs, InputPaths(line.run));
    } catch (const OutputError& error) {
      err << error.what() << '\n';
      return kExitFileNotOpened;
    }
    const Case c = ComposeCase(line);
    if (line.command == DieCommand::OperatingPoint && c.composed.feed == Feed::Pellets) {
      return FloodFedPoint(line, c.composed, c.separator, c.die, out, err, cancel);
    }
    return line.command == DieCommand::OperatingPoint ? OperatingPoint(line, c, out, err, cancel)
                                                      : DieCurve(line, c, out, err, cancel);
  } catch (const DieInputError& error) {
    err << error.what() << '\n';
    return kExitImproperInput;
  }
}

}  // namespace kelvado::cli
