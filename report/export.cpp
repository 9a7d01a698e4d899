// SPDX-License-Identifier: Apache-2.0
#include "report/export.h"

#include <atomic>
#include <cmath>
#include <functional>
#include <span>

#include "report/csv.h"
#include "report/json_document.h"

namespace kelvado {
namespace {

// One column of an export: its CSV heading, its JSON key and the value it reads. The CSV
// and the JSON document are written from the same lists, so they cannot drift apart.
template <typename Record>
struct Column {
  const char* heading;
  const char* key;
  double (*value)(const Record&);
};

const Column<StepRecord> kStepColumns[] = {
    {"Step (-)", "step", [](const StepRecord& s) { return double(s.Step); }},
    {"Turns (-)", "turns", [](const StepRecord& s) { return s.Turns; }},
    {"AvgTemp (\u00B0C)", "avgTemp_C", [](const StepRecord& s) { return s.AvgTemp; }},
    {"MixingDegree (-)", "mixingDegree", [](const StepRecord& s) { return s.MixingDegree; }},
    {"WallCooling (cal/s)", "wallCooling_cal_per_s", [](const StepRecord& s) { return s.WallCooling; }},
    {"EnthalpyDiff (cal/s)", "enthalpyDiff_cal_per_s", [](const StepRecord& s) { return s.EnthalpyDiff; }},
    {"PowerInput (cal/s)", "powerInput_cal_per_s", [](const StepRecord& s) { return s.PowerInput; }},
    {"Pressure (gf/cm2)", "pressure_gf_per_cm2", [](const StepRecord& s) { return s.Pressure; }},
    {"ClosureIter (-)", "closureIter", [](const StepRecord& s) { return double(s.ClosureIter); }},
    {"PressGradZ (gf/cm3)", "pressGradZ_gf_per_cm3", [](const StepRecord& s) { return s.PressGradZ; }},
    {"PressGradX (gf/cm3)", "pressGradX_gf_per_cm3", [](const StepRecord& s) { return s.PressGradX; }},
    // Last, for the steps of a screw of zones only: their zone and the depth of their section.
    {"Zone (-)", "zone", [](const StepRecord& s) { return double(s.Zone); }},
    {"Depth (cm)", "depth_cm", [](const StepRecord& s) { return s.Depth; }},
};
constexpr std::size_t kZoneStepColumns = 2;

// The step columns of the record's run.
std::span<const Column<StepRecord>> StepColumns(const RunRecord& record) {
  const std::span<const Column<StepRecord>> all(kStepColumns);
  return record.zones.empty() ? all.first(all.size() - kZoneStepColumns) : all;
}

const Column<OutletNode> kOutletColumns[] = {
    {"Depth (cm)", "depth_cm", [](const OutletNode& n) { return n.Depth; }},
    {"Temp (\u00B0C)", "temp_C", [](const OutletNode& n) { return n.Temp; }},
    {"Viscosity (gf.s/cm2)", "viscosity_gf_s_per_cm2", [](const OutletNode& n) { return n.Viscosity; }},
    {"VelZ (cm/s)", "velZ_cm_per_s", [](const OutletNode& n) { return n.VelZ; }},
    {"VelX (cm/s)", "velX_cm_per_s", [](const OutletNode& n) { return n.VelX; }},
    {"ShearRate (1/s)", "shearRate_per_s", [](const OutletNode& n) { return n.ShearRate; }},
};

// A CSV table of `rows`; `numbered` puts a 1-based row number in front. A model other than
// the classic one is named in a last column, so that no table passes for the other model's.
template <typename Record, typename Columns>
std::string CsvTable(const std::vector<Record>& rows, const Columns& columns, const char* numbered, FlowModel model) {
  const bool named = model != FlowModel::Classic;
  std::string out;
  std::vector<std::string> fields;
  if (numbered != nullptr) fields.emplace_back(numbered);
  for (const auto& column : columns) fields.emplace_back(column.heading);
  if (named) fields.emplace_back("FlowModel");
  AppendCsvLine(out, fields);
  long long number = 1;
  for (const Record& row : rows) {
    fields.clear();
    if (numbered != nullptr) fields.push_back(std::to_string(number++));
    for (const auto& column : columns) fields.push_back(CsvNumber(column.value(row)));
    if (named) fields.emplace_back(FlowModelName(model));
    AppendCsvLine(out, fields);
  }
  return out;
}

template <typename Record, typename Columns>
Json JsonRow(const Record& row, const Columns& columns) {
  Json object = Json::object();
  for (const auto& column : columns) object[column.key] = column.value(row);
  return object;
}

template <typename Record, typename Columns>
Json JsonRows(const std::vector<Record>& rows, const Columns& columns) {
  Json array = Json::array();
  for (const Record& row : rows) array.push_back(JsonRow(row, columns));
  return array;
}

}  // namespace

std::string StepsCsv(const RunRecord& record, FlowModel model) {
  return CsvTable(record.steps, StepColumns(record), nullptr, model);
}

std::string OutletCsv(const RunRecord& record, FlowModel model) {
  return CsvTable(record.outlet, kOutletColumns, "Node (-)", model);
}

bool WriteRunJson(const RunRequest& request, const RunOutcome& outcome,
                  const std::function<void(std::string_view)>& write, const std::atomic<bool>* cancel) {
  auto cancelled = [cancel] { return cancel != nullptr && cancel->load(); };
  const std::vector<StepRecord>& steps = outcome.record.steps;
  const bool cut = cancelled() && !steps.empty();
  Json head = Json::object();
  head["status"] = StatusName(cut ? RunStatus::Cancelled : outcome.status);
  if (cut) {
    head["detail"] = "cancelled while the steps were written; they are left out";
  } else if (!outcome.detail.empty()) {
    head["detail"] = outcome.detail;
  }
  head["flowModel"] = FlowModelName(request.flowModel);
  head["warnings"] = outcome.warnings;
  head["inputs"] = InputsJson(request.inputs, request.decimalSeparator);
  const OperatingRecord& op = outcome.record.operating;
  head["operating"] = {
      {"massRate_g_per_s", op.MassRate},
      {"volumeRate_cm3_per_s", op.VolumeRate},
      {"helixAngle_rad", op.HelixAngle},
      {"channelWidth_cm", op.ChannelWidth},
      {"revPerSec", op.RevPerSec},
      {"rpm", op.Rpm},
      {"barrelSpeed_cm_per_s", op.BarrelSpeed},
      {"barrelSpeedZ_cm_per_s", op.BarrelSpeedZ},
      {"barrelSpeedX_cm_per_s", op.BarrelSpeedX},
      {"channelLength_cm", op.ChannelLength},
      {"stepZ_cm", op.StepZ},
      {"stepY_cm", op.StepY},
  };
  // The one long part, the steps, goes a row at a time between the head's members and the
  // tail's, so that no document of them all is ever held and a signal is seen on the way.
  std::string text = JsonText(head);
  text.resize(text.size() - 2);  // without "}\n"
  text += ",\"steps\":[";
  write(text);
  const std::span<const Column<StepRecord>> stepColumns = StepColumns(outcome.record);
  for (std::size_t i = 0; i < steps.size() && !cut; ++i) {
    if (i % 1024 == 1023 && cancelled()) return false;
    text = JsonText(JsonRow(steps[i], stepColumns));
    text.pop_back();  // the line end
    if (i > 0) text.insert(0, 1, ',');
    write(text);
  }

  Json tail = Json::object();
  tail["outlet"] = JsonRows(outcome.record.outlet, kOutletColumns);
  if (!outcome.record.zones.empty()) {
    Json zones = Json::array();
    for (const ZoneRecord& z : outcome.record.zones) {
      zones.push_back({{"startTurns", z.StartTurns},         {"endTurns", z.EndTurns},
                       {"depthFrom_cm", z.DepthFrom},        {"depthTo_cm", z.DepthTo},
                       {"pitch_cm", z.Pitch},                {"flightWidth_cm", z.FlightWidth},
                       {"barrelTemp_C", z.BarrelTemp},       {"endPressure_kgf_per_cm2", z.EndPressure},
                       {"endMeanTemp_C", z.EndMeanTemp}});
    }
    tail["zones"] = std::move(zones);
  }
  if (outcome.status == RunStatus::Finished && !cut) {
    const OutletSummary& sum = outcome.summary;
    tail["powerBalance"] = {
        {"averageTemperature_C", sum.AvgTemp},
        {"mixingDegree", sum.MixingDegree},
        {"totalPower_kW", sum.TotalPowerKW},
        {"enthalpyDifference_kW", sum.EnthalpyDiffKW},
        {"powerForPressureRise_kW", sum.PressurePowerKW},
        {"cooling1_kW", sum.Cooling1KW},
        {"cooling2_kW", sum.Cooling2KW},
        {"outletPressure_kgf_per_cm2", sum.OutletPressure},
    };
  }
  text = JsonText(tail);
  text[0] = ',';  // the tail's members follow the steps
  write("]" + text);
  return true;
}

std::string RunJson(const RunRequest& request, const RunOutcome& outcome, const std::atomic<bool>* cancel) {
  std::string text;
  const auto append = [&text](std::string_view bytes) { text.append(bytes); };
  if (!WriteRunJson(request, outcome, append, cancel)) {
    text.clear();  // cut short: the document that says so instead
    WriteRunJson(request, outcome, append, cancel);
  }
  return text;
}

}  // namespace kelvado
