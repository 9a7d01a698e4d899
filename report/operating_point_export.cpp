// SPDX-License-Identifier: Apache-2.0
#include "report/operating_point_export.h"

#include "report/json_document.h"
#include "solver/units.h"

namespace kelvado {

std::string OperatingPointJson(const OperatingPointRequest& request, const OperatingPointResult& result) {
  const bool found = result.status == OperatingPointStatus::Found;
  const ScrewRun& point = result.point;
  Json doc = Json::object();
  doc["status"] = OperatingPointStatusName(result.status);
  if (!result.message.empty()) doc["message"] = result.message;
  doc["inputs"] = InputsJson(request.inputs, request.decimalSeparator);
  doc["flowModel"] = FlowModelName(request.flowModel);
  doc["rpm"] = request.rpm;
  doc["outputFrom_kg_per_hr"] = result.outputFrom;
  doc["outputTo_kg_per_hr"] = result.outputTo;
  doc["screwRuns"] = result.runs.size();

  if (found) {
    doc["operatingPoint"] = {
        {"outputRate_kg_per_hr", point.output},
        {"flowRateRatio", point.flowRateRatio},
        {"rpm", point.summary.Rpm},
        {"outletPressure_kgf_per_cm2", point.summary.OutletPressure},
        {"diePressureDrop_kgf_per_cm2", point.DiePressureDrop()},
        {"meanOutletTemp_C", point.summary.AvgTemp},
        {"totalPower_kW", point.summary.TotalPowerKW},
    };
  }

  Json sections = Json::array();
  for (std::size_t i = 0; i < request.die.size(); ++i) {
    const DieSection& section = request.die[i];
    Json entry = {{"type", DieShapeName(section.shape)}};
    for (const auto& [key, value] : DieSectionDimensions(section)) entry[std::string(key) + "_cm"] = value;
    if (found && i < point.die.sections.size()) {
      const SectionFlow& flow = point.die.sections[i];
      entry["pressureDrop_kgf_per_cm2"] = flow.pressureDrop / kGfPerKgf;
      entry["wallShearRate_per_s"] = flow.apparentShearRate;
      entry["trueWallShearRate_per_s"] = flow.wallShearRate;
    }
    sections.push_back(std::move(entry));
  }
  doc["dieSections"] = std::move(sections);

  Json runs = Json::array();
  for (const ScrewRun& run : result.runs) {
    Json entry = {{"outputRate_kg_per_hr", run.output},
                  {"flowRateRatio", run.flowRateRatio},
                  {"status", StatusName(run.status)}};
    if (run.status == RunStatus::Finished) {
      entry["outletPressure_kgf_per_cm2"] = run.summary.OutletPressure;
      entry["diePressureDrop_kgf_per_cm2"] = run.DiePressureDrop();
      entry["meanOutletTemp_C"] = run.summary.AvgTemp;
    } else if (!run.message.empty()) {
      entry["message"] = run.message;
    }
    runs.push_back(std::move(entry));
  }
  doc["runs"] = std::move(runs);
  doc["warnings"] = result.warnings;
  return JsonText(doc);
}

}  // namespace kelvado
