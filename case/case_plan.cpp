// SPDX-License-Identifier: Apache-2.0
#include "case/case_plan.h"

#include <cmath>
#include <memory>

#include "case/input_error.h"
#include "solver/input_fields.h"

namespace kelvado {
namespace {

InputColumn FieldColumn(Field field, int decimals = InputColumn::kShortest) {
  return {std::string(FieldInfo(field).optionName), std::string(FieldInfo(field).unit), decimals};
}

}  // namespace

CasePlan SweepCases(const InputTexts& base, const std::vector<VariedField>& varied, char separator,
                    std::size_t maxCases) {
  CasePlan plan;
  auto values = std::make_shared<std::vector<std::vector<double>>>();
  std::size_t total = 1;
  for (const VariedField& v : varied) {
    const std::string what = std::string("--vary ").append(FieldInfo(v.field).optionName);
    values->push_back(RangeValues(v.range, separator, what));
    if (values->back().size() > maxCases / total) {
      throw InputError::Of("the --vary ranges make more than ", std::to_string(maxCases), " cases");
    }
    total *= values->back().size();
    plan.inputColumns.push_back(FieldColumn(v.field));
  }
  plan.columnValues = *values;
  plan.count = total;
  plan.make = [base, varied, separator, values](std::size_t index, std::vector<double>& row) {
    // Case `index` in mixed radix, the last range the fastest digit.
    row.assign(varied.size(), 0.0);
    SweepCase c{base};
    std::size_t rest = index;
    for (std::size_t k = varied.size(); k-- > 0;) {
      const std::vector<double>& range = (*values)[k];
      row[k] = range[rest % range.size()];
      rest /= range.size();
      c.inputs[varied[k].field] = ExactNumberText(row[k], separator);
    }
    return c;
  };
  return plan;
}

CasePlan CharacteristicCases(const InputTexts& base, std::vector<double> outputs, double rpm, char separator) {
  CasePlan plan;
  plan.inputColumns = {FieldColumn(Field::OutputRate), FieldColumn(Field::FlowRateRatio, 6)};
  auto values = std::make_shared<std::vector<double>>(std::move(outputs));
  plan.columnValues = {*values, {}};
  plan.count = values->size();
  plan.make = [base, separator, rpm, values](std::size_t index, std::vector<double>& row) {
    const double output = (*values)[index];
    SweepCase c = CharacteristicCase(base, separator, rpm, output);
    row = {output, c.settled ? std::nan("") : *ParseNumber(c.inputs[Field::FlowRateRatio], separator)};
    return c;
  };
  return plan;
}

CasePlan CharacteristicCases(const InputTexts& base, const RangeText& outputs, const std::string& rpmText,
                             char separator) {
  const std::optional<double> rpm = ParseNumber(rpmText, separator);
  if (!rpm || !(*rpm > 0)) throw InputError::Of("--rpm takes a screw speed above zero, not '", rpmText, "'");
  return CharacteristicCases(base, RangeValues(outputs, separator, "--output-rate"), *rpm, separator);
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
