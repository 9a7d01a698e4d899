#include "characteristic.h"

#include <string_view>

#include "solver/input_fields.h"

namespace plots {
namespace {

int FieldIndex(std::string_view optionName) {
  for (int i = 0; i < kelvado::kInputCount; ++i) {
    if (kelvado::kInputFields[i].optionName == optionName) return i;
  }
  return -1;
}

const int kOutputRate = FieldIndex("output-rate");
const int kFlowRateRatio = FieldIndex("flow-rate-ratio");

}  // namespace

std::vector<double> EvenlySpaced(double from, double to, int count) {
  std::vector<double> values;
  for (int i = 0; i < count; ++i) {
    values.push_back(i == 0 ? from : i == count - 1 ? to : from + (to - from) * i / (count - 1));
  }
  return values;
}

std::vector<kelvado::SweepCase> CharacteristicCases(const kelvado::InputTexts& base, char separator, double rpm,
                                                    const std::vector<double>& outputs) {
  std::vector<kelvado::SweepCase> cases;
  for (const double output : outputs) {
    kelvado::InputTexts texts = base;
    texts[kOutputRate] = kelvado::ExactNumberText(output, separator);
    texts[kFlowRateRatio] =
        kelvado::ExactNumberText(kelvado::FlowRateRatioForRpm(texts, separator, rpm), separator);
    cases.push_back({texts});
  }
  return cases;
}

}  // namespace plots
