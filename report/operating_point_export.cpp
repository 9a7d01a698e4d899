#include "report/operating_point_export.h"

#include "report/json_writer.h"

namespace kelvado {

std::string OperatingPointJson(const OperatingPointRequest& request, const OperatingPointResult& result) {
  const bool found = result.status == OperatingPointStatus::Found;
  const ScrewRun& point = result.point;
  JsonWriter j;
  j.Open('{');
  j.Text("status", OperatingPointStatusName(result.status));
  if (!result.message.empty()) j.Text("message", result.message);
  j.Inputs(request.inputs, request.decimalSeparator);
  j.Number("rpm", request.rpm);
  j.Number("outputFrom_kg_per_hr", result.outputFrom);
  j.Number("outputTo_kg_per_hr", result.outputTo);
  j.Number("screwRuns", static_cast<double>(result.runs.size()));

  if (found) {
    j.Key("operatingPoint");
    j.Open('{');
    j.Number("outputRate_kg_per_hr", point.output);
    j.Number("flowRateRatio", point.flowRateRatio);
    j.Number("rpm", point.summary.Rpm);
    j.Number("outletPressure_kgf_per_cm2", point.summary.OutletPressure);
    j.Number("diePressureDrop_kgf_per_cm2", point.DiePressureDrop());
    j.Number("meanOutletTemp_C", point.summary.AvgTemp);
    j.Number("totalPower_kW", point.summary.TotalPowerKW);
    j.Close('}');
  }

  j.Key("dieSections");
  j.Open('[');
  for (std::size_t i = 0; i < request.die.size(); ++i) {
    const DieSection& section = request.die[i];
    j.Open('{');
    j.Text("type", DieShapeName(section.shape));
    for (const auto& [key, value] : DieSectionDimensions(section)) j.Number(std::string(key) + "_cm", value);
    if (found && i < point.die.sections.size()) {
      const SectionFlow& flow = point.die.sections[i];
      j.Number("pressureDrop_kgf_per_cm2", flow.pressureDrop / 1000);
      j.Number("wallShearRate_per_s", flow.apparentShearRate);
      j.Number("trueWallShearRate_per_s", flow.wallShearRate);
    }
    j.Close('}');
  }
  j.Close(']');

  j.Key("runs");
  j.Open('[');
  for (const ScrewRun& run : result.runs) {
    j.Open('{');
    j.Number("outputRate_kg_per_hr", run.output);
    j.Number("flowRateRatio", run.flowRateRatio);
    j.Text("status", StatusName(run.status));
    if (run.status == RunStatus::Finished) {
      j.Number("outletPressure_kgf_per_cm2", run.summary.OutletPressure);
      j.Number("diePressureDrop_kgf_per_cm2", run.DiePressureDrop());
      j.Number("meanOutletTemp_C", run.summary.AvgTemp);
    } else if (!run.message.empty()) {
      j.Text("message", run.message);
    }
    j.Close('}');
  }
  j.Close(']');

  j.Key("warnings");
  j.Open('[');
  for (const std::string& warning : result.warnings) j.Item(warning);
  j.Close(']');
  j.Close('}');
  return j.Take();
}

}  // namespace kelvado
