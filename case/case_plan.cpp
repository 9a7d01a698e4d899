// SPDX-License-Identifier: Apache-2.0
#include "case/case_plan.h"

#include <cmath>
#include <memory>

#include "solver/input_error.h"
#include "solver/input_fields.h"

namespace kelvado {
namespace {

InputColumn FieldColumn(Field field, int decimals = InputColumn::kShortest) {
  return {std::string(FieldInfo(field).optionName), std::string(FieldInfo(field).unit), decimals};
}

// The flow-rate ratio a driven case was given; NaN for one settled before it runs.
double FlowRateRatioOf(const SweepCase& c, char separator) {
  return c.settled ? std::nan("") : ParseNumber(c.inputs[Field::FlowRateRatio], separator).value_or(std::nan(""));
}

}  // namespace

std::string VariedName(const VariedField& varied) {
  if (varied.pellet) return std::string(PelletFieldOf(*varied.pellet).name);
  return varied.zoneValue ? ZoneValueName(*varied.zoneValue) : std::string(FieldInfo(varied.field).optionName);
}

CasePlan SweepCases(const InputTexts& base, const std::vector<VariedField>& varied, char separator,
                    std::size_t maxCases, const std::vector<ScrewZone>& zones, std::optional<double> rpm) {
  if (!zones.empty() && !rpm) throw InputError::Of(kZonesNeedSpeed);
  CasePlan plan;
  auto values = std::make_shared<std::vector<std::vector<double>>>();
  std::size_t total = 1;
  for (const VariedField& v : varied) {
    const std::string what = "--vary " + VariedName(v);
    if (v.zoneValue) {
      CheckZoneValue(*v.zoneValue, zones);
    } else if (rpm && v.field == Field::FlowRateRatio) {
      throw InputError::Of(what, ": the screw speed sets the flow-rate ratio");
    } else if (!zones.empty() && (v.field == Field::ChannelDepth || v.field == Field::LengthRatio)) {
      throw InputError::Of(what, ": the zones set it; vary a zone's depth or turns (zoneN.depth, zoneN.turns)");
    }
    values->push_back(RangeValues(v.range, separator, what));
    if (values->back().size() > maxCases / total) {
      throw InputError::Of("the --vary ranges make more than ", std::to_string(maxCases), " cases");
    }
    total *= values->back().size();
    const std::string name = VariedName(v);
    plan.inputColumns.push_back(v.zoneValue ? InputColumn{name, std::string(ZoneValueUnit(v.zoneValue->key))}
                                            : FieldColumn(v.field));
  }
  plan.columnValues = *values;
  if (rpm) {  // found out case by case
    plan.inputColumns.push_back(FieldColumn(Field::FlowRateRatio, 6));
    plan.columnValues.emplace_back();
  }
  plan.count = total;
  plan.make = [base, varied, separator, values, zones, rpm](std::size_t index, std::vector<double>& row) {
    // Case `index` in mixed radix, the last range the fastest digit.
    row.assign(varied.size(), 0.0);
    InputTexts inputs = base;
    std::vector<ScrewZone> caseZones = zones;
    std::optional<std::string> zoneProblem;
    std::size_t rest = index;
    for (std::size_t k = varied.size(); k-- > 0;) {
      const std::vector<double>& range = (*values)[k];
      row[k] = range[rest % range.size()];
      rest /= range.size();
      if (!varied[k].zoneValue) {
        inputs[varied[k].field] = ExactNumberText(row[k], separator);
      } else if (!zoneProblem) {
        zoneProblem = SetZoneValue(caseZones, *varied[k].zoneValue, row[k]);
      }
    }
    if (zoneProblem) {
      if (rpm) row.push_back(std::nan(""));
      return SweepCase{inputs, SweepResult{RunStatus::ImproperInput, *zoneProblem, {}}, caseZones};
    }
    if (!rpm) return SweepCase{inputs};
    SweepCase c = DrivenCase(inputs, caseZones, separator, *rpm);
    row.push_back(FlowRateRatioOf(c, separator));
    return c;
  };
  return plan;
}

CasePlan CharacteristicCases(const InputTexts& base, std::vector<double> outputs, double rpm, char separator,
                             const std::vector<ScrewZone>& zones) {
  CasePlan plan;
  plan.inputColumns = {FieldColumn(Field::OutputRate), FieldColumn(Field::FlowRateRatio, 6)};
  auto values = std::make_shared<std::vector<double>>(std::move(outputs));
  plan.columnValues = {*values, {}};
  plan.count = values->size();
  plan.make = [base, separator, rpm, values, zones](std::size_t index, std::vector<double>& row) {
    const double output = (*values)[index];
    InputTexts inputs = base;
    inputs[Field::OutputRate] = ExactNumberText(output, separator);
    SweepCase c = DrivenCase(inputs, zones, separator, rpm);
    row = {output, FlowRateRatioOf(c, separator)};
    return c;
  };
  return plan;
}

double RpmOf(const std::string& rpmText, char separator) {
  const std::optional<double> rpm = ParseNumber(rpmText, separator);
  if (!rpm || !(*rpm > 0)) throw InputError::Of("the screw speed (--rpm, rpm =) must be above zero, not '", rpmText, "'");
  return *rpm;
}

CasePlan CharacteristicCases(const InputTexts& base, const RangeText& outputs, const std::string& rpmText,
                             char separator, const std::vector<ScrewZone>& zones) {
  const double rpm = RpmOf(rpmText, separator);
  return CharacteristicCases(base, RangeValues(outputs, separator, "--output-rate"), rpm, separator, zones);
}

BatchPlan MadeUpFront(const CasePlan& lazy) {
  BatchPlan plan;
  plan.inputColumns = lazy.inputColumns;
  for (std::size_t i = 0; i < lazy.count; ++i) {
    plan.cases.push_back(lazy.make(i, plan.inputValues.emplace_back()));
  }
  return plan;
}

BatchPlan PlanSweep(const InputTexts& base, const std::vector<VariedField>& varied, char separator) {
  return MadeUpFront(SweepCases(base, varied, separator, kMaxSweepCases));
}

BatchPlan PlanCharacteristic(const InputTexts& base, const RangeText& outputs, const std::string& rpmText,
                             char separator) {
  return MadeUpFront(CharacteristicCases(base, outputs, rpmText, separator));
}

}  // namespace kelvado
