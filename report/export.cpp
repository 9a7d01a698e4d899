#include "export.h"

#include <charconv>
#include <cmath>

#include "solver/input_fields.h"

namespace kelvado {
namespace {

constexpr const char* kCrLf = "\r\n";

void CsvRow(std::string& out, std::initializer_list<std::string> fields) {
  bool first = true;
  for (const std::string& field : fields) {
    if (!first) out += ',';
    first = false;
    out += field;  // numbers and our own headings: nothing needs quoting
  }
  out += kCrLf;
}

std::string Integer(long long value) { return std::to_string(value); }

// A small writer for one flat-enough JSON document.
class Json {
 public:
  void Open(char bracket) {
    Separate();
    text_ += bracket;
    first_ = true;
  }
  void Close(char bracket) {
    text_ += bracket;
    first_ = false;
  }
  void Key(const std::string& key) {
    Separate();
    String(key);
    text_ += ':';
    first_ = true;  // the value follows without a comma
  }
  void Number(const std::string& key, double value) {
    Key(key);
    Separate();
    text_ += RoundTripNumber(value);
  }
  void Integer(const std::string& key, long long value) {
    Key(key);
    Separate();
    text_ += std::to_string(value);
  }
  void Text(const std::string& key, const std::string& value) {
    Key(key);
    Separate();
    String(value);
  }
  std::string Take() { return std::move(text_) + "\n"; }

 private:
  void Separate() {
    if (!first_) text_ += ',';
    first_ = false;
  }
  void String(const std::string& s) {
    text_ += '"';
    for (const char c : s) {
      const auto u = static_cast<unsigned char>(c);
      if (c == '"' || c == '\\') {
        text_ += '\\';
        text_ += c;
      } else if (u < 0x20) {
        static const char* hex = "0123456789abcdef";
        text_ += "\\u00";
        text_ += hex[u >> 4];
        text_ += hex[u & 15];
      } else {
        text_ += c;
      }
    }
    text_ += '"';
  }
  std::string text_;
  bool first_ = true;
};

}  // namespace

std::string RoundTripNumber(double value) {
  if (!std::isfinite(value)) return "null";
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, res.ptr);
}

std::string StepsCsv(const RunRecord& record) {
  std::string out;
  CsvRow(out, {"Step (-)", "Turns (-)", "AvgTemp (\u00B0C)", "MixingDegree (-)", "WallCooling (cal/s)",
               "EnthalpyDiff (cal/s)", "PowerInput (cal/s)", "Pressure (gf/cm2)", "ClosureIter (-)",
               "PressGradZ (gf/cm3)", "PressGradX (gf/cm3)"});
  for (const StepRecord& s : record.steps) {
    CsvRow(out, {Integer(s.Step), RoundTripNumber(s.Turns), RoundTripNumber(s.AvgTemp),
                 RoundTripNumber(s.MixingDegree), RoundTripNumber(s.WallCooling),
                 RoundTripNumber(s.EnthalpyDiff), RoundTripNumber(s.PowerInput), RoundTripNumber(s.Pressure),
                 Integer(s.ClosureIter), RoundTripNumber(s.PressGradZ), RoundTripNumber(s.PressGradX)});
  }
  return out;
}

std::string OutletCsv(const RunRecord& record) {
  std::string out;
  CsvRow(out, {"Node (-)", "Depth (cm)", "Temp (\u00B0C)", "Viscosity (gf.s/cm2)", "VelZ (cm/s)", "VelX (cm/s)",
               "ShearRate (1/s)"});
  long long node = 1;
  for (const OutletNode& n : record.outlet) {
    CsvRow(out, {Integer(node++), RoundTripNumber(n.Depth), RoundTripNumber(n.Temp), RoundTripNumber(n.Viscosity),
                 RoundTripNumber(n.VelZ), RoundTripNumber(n.VelX), RoundTripNumber(n.ShearRate)});
  }
  return out;
}

std::string RunJson(const RunRequest& request, const RunOutcome& outcome) {
  Json j;
  j.Open('{');
  j.Text("status", StatusName(outcome.status));
  if (!outcome.detail.empty()) j.Text("detail", outcome.detail);

  j.Key("inputs");
  j.Open('{');
  for (int i = 0; i < kInputCount; ++i) {
    const std::string key(kInputFields[i].optionName);
    if (const auto value = ParseNumber(request.inputs[i], request.decimalSeparator)) {
      j.Number(key, *value);
    } else {
      j.Text(key, request.inputs[i]);
    }
  }
  j.Close('}');

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

  j.Key("steps");
  j.Open('[');
  for (const StepRecord& s : outcome.record.steps) {
    j.Open('{');
    j.Integer("step", s.Step);
    j.Number("turns", s.Turns);
    j.Number("avgTemp_C", s.AvgTemp);
    j.Number("mixingDegree", s.MixingDegree);
    j.Number("wallCooling_cal_per_s", s.WallCooling);
    j.Number("enthalpyDiff_cal_per_s", s.EnthalpyDiff);
    j.Number("powerInput_cal_per_s", s.PowerInput);
    j.Number("pressure_gf_per_cm2", s.Pressure);
    j.Integer("closureIter", s.ClosureIter);
    j.Number("pressGradZ_gf_per_cm3", s.PressGradZ);
    j.Number("pressGradX_gf_per_cm3", s.PressGradX);
    j.Close('}');
  }
  j.Close(']');

  j.Key("outlet");
  j.Open('[');
  for (const OutletNode& n : outcome.record.outlet) {
    j.Open('{');
    j.Number("depth_cm", n.Depth);
    j.Number("temp_C", n.Temp);
    j.Number("viscosity_gf_s_per_cm2", n.Viscosity);
    j.Number("velZ_cm_per_s", n.VelZ);
    j.Number("velX_cm_per_s", n.VelX);
    j.Number("shearRate_per_s", n.ShearRate);
    j.Close('}');
  }
  j.Close(']');

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
