#include "report/export.h"

#include <charconv>
#include <cmath>

#include "report/json_writer.h"

namespace kelvado {
namespace {

constexpr const char* kCrLf = "\r\n";

std::string Integer(long long value) { return std::to_string(value); }

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

// A CSV table of `rows`; `numbered` puts a 1-based row number in front.
template <typename Record, std::size_t N>
std::string CsvTable(const std::vector<Record>& rows, const Column<Record> (&columns)[N], const char* numbered) {
  std::string out;
  if (numbered != nullptr) out += numbered;
  for (std::size_t c = 0; c < N; ++c) {
    if (c > 0 || numbered != nullptr) out += ',';
    out += columns[c].heading;
  }
  out += kCrLf;
  long long number = 1;
  for (const Record& row : rows) {
    if (numbered != nullptr) out += Integer(number++);
    for (std::size_t c = 0; c < N; ++c) {
      if (c > 0 || numbered != nullptr) out += ',';
      out += RoundTripNumber(columns[c].value(row));  // numbers only: nothing needs quoting
    }
    out += kCrLf;
  }
  return out;
}

}  // namespace

std::string RoundTripNumber(double value) {
  if (!std::isfinite(value)) return "null";
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, res.ptr);
}

std::string StepsCsv(const RunRecord& record) { return CsvTable(record.steps, kStepColumns, nullptr); }

std::string OutletCsv(const RunRecord& record) { return CsvTable(record.outlet, kOutletColumns, "Node (-)"); }

std::string RunJson(const RunRequest& request, const RunOutcome& outcome) {
  JsonWriter j;
  j.Open('{');
  j.Text("status", StatusName(outcome.status));
  if (!outcome.detail.empty()) j.Text("detail", outcome.detail);

  j.Inputs(request.inputs, request.decimalSeparator);

  const OperatingRecord& op = outcome.record.operating;
  j.Key("operating");
  j.Open('{');
  j.Number("massRate_g_per_s", op.MassRate);
  j.Number("volumeRate_cm3_per_s", op.VolumeRate);
  j.Number("helixAngle_rad", op.HelixAngle);
  j.Number("channelWidth_cm", op.ChannelWidth);
  j.Number("revPerSec", op.RevPerSec);
  j.Number("rpm", op.Rpm);
  j.Number("barrelSpeed_cm_per_s", op.BarrelSpeed);
  j.Number("barrelSpeedZ_cm_per_s", op.BarrelSpeedZ);
  j.Number("barrelSpeedX_cm_per_s", op.BarrelSpeedX);
  j.Number("channelLength_cm", op.ChannelLength);
  j.Number("stepZ_cm", op.StepZ);
  j.Number("stepY_cm", op.StepY);
  j.Close('}');

  auto array = [&j](const char* name, const auto& rows, const auto& columns) {
    j.Key(name);
    j.Open('[');
    for (const auto& row : rows) {
      j.Open('{');
      for (const auto& column : columns) j.Number(column.key, column.value(row));
      j.Close('}');
    }
    j.Close(']');
  };
  array("steps", outcome.record.steps, kStepColumns);
  array("outlet", outcome.record.outlet, kOutletColumns);

  if (outcome.status == RunStatus::Finished) {
    const OutletSummary& sum = outcome.summary;
    j.Key("powerBalance");
    j.Open('{');
    j.Number("averageTemperature_C", sum.AvgTemp);
    j.Number("mixingDegree", sum.MixingDegree);
    j.Number("totalPower_kW", sum.TotalPowerKW);
    j.Number("enthalpyDifference_kW", sum.EnthalpyDiffKW);
    j.Number("powerForPressureRise_kW", sum.PressurePowerKW);
    j.Number("cooling1_kW", sum.Cooling1KW);
    j.Number("cooling2_kW", sum.Cooling2KW);
    j.Number("outletPressure_kgf_per_cm2", sum.OutletPressure);
    j.Close('}');
  }
  j.Close('}');
  return j.Take();
}

}  // namespace kelvado
