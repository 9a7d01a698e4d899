#include "report/export.h"

#include <charconv>
#include <cmath>

#include "solver/input_fields.h"

namespace kelvado {
namespace {

constexpr const char* kCrLf = "\r\n";

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
  // The length of the well-formed UTF-8 character at `i`, or 0.
  static std::size_t Utf8Length(const std::string& s, std::size_t i) {
    const auto at = [&](std::size_t k) { return k < s.size() ? static_cast<unsigned char>(s[k]) : 0u; };
    const unsigned lead = at(i);
    if (lead < 0x80) return 1;
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0) return 0;
    // The second byte's range excludes overlong forms, surrogates and values past U+10FFFF.
    const unsigned low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (at(i + 1) < low || at(i + 1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k) {
      if ((at(i + k) & 0xC0) != 0x80) return 0;
    }
    return length;
  }
  // Input texts may hold any bytes; the document holds valid UTF-8 only, each stray byte
  // replaced by U+FFFD.
  void String(const std::string& s) {
    text_ += '"';
    for (std::size_t i = 0; i < s.size(); ++i) {
      const std::size_t length = Utf8Length(s, i);
      if (length == 0) {
        text_ += "\xEF\xBF\xBD";
        continue;
      }
      if (length > 1) {
        text_.append(s, i, length);
        i += length - 1;
        continue;
      }
      const char c = s[i];
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
