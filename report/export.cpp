#include "report/export.h"

#include <atomic>
#include <cmath>

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
};

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
template <typename Record, std::size_t N>
std::string CsvTable(const std::vector<Record>& rows, const Column<Record> (&columns)[N], const char* numbered,
                     FlowModel model) {
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

// The rows until `cancel` is set (looked at every 1024 rows); `cut` says whether it was.
template <typename Record, std::size_t N>
Json JsonRows(const std::vector<Record>& rows, const Column<Record> (&columns)[N],
              const std::atomic<bool>* cancel = nullptr, bool* cut = nullptr) {
  Json array = Json::array();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (cancel != nullptr && i % 1024 == 0 && cancel->load()) {
      *cut = true;
      break;
    }
    const Record& row = rows[i];
    Json object = Json::object();
    for (const auto& column : columns) object[column.key] = column.value(row);
    array.push_back(std::move(object));
  }
  return array;
}

}  // namespace

std::string StepsCsv(const RunRecord& record, FlowModel model) {
  return CsvTable(record.steps, kStepColumns, nullptr, model);
}

std::string OutletCsv(const RunRecord& record, FlowModel model) {
  return CsvTable(record.outlet, kOutletColumns, "Node (-)", model);
}

std::string RunJson(const RunRequest& request, const RunOutcome& outcome, const std::atomic<bool>* cancel) {
  Json doc = Json::object();
  doc["status"] = StatusName(outcome.status);
  if (!outcome.detail.empty()) doc["detail"] = outcome.detail;
  doc["flowModel"] = FlowModelName(request.flowModel);
  doc["inputs"] = InputsJson(request.inputs, request.decimalSeparator);

  const OperatingRecord& op = outcome.record.operating;
  doc["operating"] = {
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
  bool cut = false;
  doc["steps"] = JsonRows(outcome.record.steps, kStepColumns, cancel, &cut);
  if (cut) {  // a long document stops at a signal, and says so
    doc["status"] = StatusName(RunStatus::Cancelled);
    doc["detail"] = "cancelled while the steps were written; the steps stop where it got to";
  }
  doc["outlet"] = JsonRows(outcome.record.outlet, kOutletColumns);

  if (outcome.status == RunStatus::Finished) {
    const OutletSummary& sum = outcome.summary;
    doc["powerBalance"] = {
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
  return JsonText(doc);
}

}  // namespace kelvado
