#include "cli/batch_plan.h"

#include <cmath>

#include "cli/usage_error.h"

namespace kelvado::cli {
namespace {

Column FieldColumn(Field field, int decimals = Column::kShortest) {
  return {std::string(FieldInfo(field).optionName), std::string(FieldInfo(field).unit), decimals};
}

}  // namespace

BatchPlan PlanSweep(const InputTexts& base, const std::vector<VariedField>& varied, char separator) {
  BatchPlan plan;
  std::vector<std::vector<double>> values;
  std::size_t total = 1;
  for (const VariedField& v : varied) {
    const std::string what = std::string("--vary ").append(FieldInfo(v.field).optionName);
    values.push_back(RangeValues(v.range, separator, what));
    if (values.back().size() > kMaxSweepCases / total) {
      throw UsageError::Of("the --vary ranges make more than ", std::to_string(kMaxSweepCases), " cases");
    }
    total *= values.back().size();
    plan.inputColumns.push_back(FieldColumn(v.field));
  }
  for (std::size_t i = 0; i < total; ++i) {
    // Case i in mixed radix, the last range the fastest digit.
    std::vector<double>& row = plan.inputValues.emplace_back(varied.size());
    InputTexts texts = base;
    std::size_t rest = i;
    for (std::size_t k = varied.size(); k-- > 0;) {
      row[k] = values[k][rest % values[k].size()];
      rest /= values[k].size();
      texts[varied[k].field] = ExactNumberText(row[k], separator);
    }
    plan.cases.push_back({texts});
  }
  return plan;
}

BatchPlan PlanCharacteristic(const InputTexts& base, const RangeText& outputs, const std::string& rpmText,
                             char separator) {
  const std::optional<double> rpm = ParseNumber(rpmText, separator);
  if (!rpm || !(*rpm > 0)) throw UsageError::Of("--rpm takes a screw speed above zero, not '", rpmText, "'");
  BatchPlan plan;
  plan.inputColumns = {FieldColumn(Field::OutputRate), FieldColumn(Field::FlowRateRatio, 6)};
  for (const double output : RangeValues(outputs, separator, "--output-rate")) {
    SweepCase c = CharacteristicCase(base, separator, *rpm, output);
    plan.inputValues.push_back(
        {output, c.settled ? std::nan("") : *ParseNumber(c.inputs[Field::FlowRateRatio], separator)});
    plan.cases.push_back(std::move(c));
  }
  return plan;
}

}  // namespace kelvado::cli
