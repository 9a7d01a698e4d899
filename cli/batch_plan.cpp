#include "batch_plan.h"

#include <cmath>

#include "usage_error.h"

namespace kelvado::cli {
namespace {

const int kOutputRate = *FindField("output-rate");
const int kFlowRateRatio = *FindField("flow-rate-ratio");

Column FieldColumn(int field, int decimals = Column::kShortest) {
  return {std::string(kInputFields[field].optionName), FieldUnit(field), decimals};
}

}  // namespace

std::string FieldUnit(int field) {
  const std::string_view caption = kInputFields[field].caption;
  const std::size_t open = caption.rfind('(');
  std::string unit(caption.substr(open + 1, caption.rfind(')') - open - 1));
  constexpr std::string_view kDegree = "\u2103";
  for (std::size_t at = unit.find(kDegree); at != std::string::npos; at = unit.find(kDegree)) {
    unit.replace(at, kDegree.size(), "\u00B0C");
  }
  return unit;
}

BatchPlan PlanSweep(const InputTexts& base, const std::vector<VariedField>& varied, char separator) {
  BatchPlan plan;
  std::vector<std::vector<double>> values;
  std::size_t total = 1;
  for (const VariedField& v : varied) {
    const std::string what = std::string("--vary ").append(kInputFields[v.field].optionName);
    values.push_back(RangeValues(v.range, separator, what));
    if (values.back().size() > kMaxCases / total) {
      throw UsageError::Of("the --vary ranges make more than ", std::to_string(kMaxCases), " cases");
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
  plan.inputColumns = {FieldColumn(kOutputRate), FieldColumn(kFlowRateRatio, 6)};
  for (const double output : RangeValues(outputs, separator, "--output-rate")) {
    SweepCase c = CharacteristicCase(base, separator, *rpm, output);
    plan.inputValues.push_back(
        {output, c.settled ? std::nan("") : *ParseNumber(c.inputs[kFlowRateRatio], separator)});
    plan.cases.push_back(std::move(c));
  }
  return plan;
}

}  // namespace kelvado::cli
