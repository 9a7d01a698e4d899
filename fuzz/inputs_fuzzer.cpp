// SPDX-License-Identifier: Apache-2.0
// Arbitrary bytes to the number grammar of the input fields, the inputs-file reader, the
// sweep ranges and the characteristic's screw speed and base inputs.
// Besides crashes and undefined behaviour it looks for answers that contradict each other.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "case/case_plan.h"
#include "case/inputs_file.h"
#include "case/range.h"
#include "solver/input.h"
#include "solver/input_error.h"

namespace {

using kelvado::ParseNumber;

void CheckNumber(std::string_view text, char separator, bool blanksAroundCount = true) {
  const std::optional<double> value = ParseNumber(text, separator);
  if (!value) return;
  if (!std::isfinite(*value)) std::abort();
  if (!blanksAroundCount) return;
  // Blanks around an accepted text change nothing.
  std::string padded = " ";
  padded += text;
  padded += "  ";
  const std::optional<double> again = ParseNumber(padded, separator);
  if (!again || *again != *value) std::abort();
}

// What the reader accepted reads back the same once written out as an inputs file.
void CheckInputsFile(std::string_view content) {
  using namespace kelvado;
  FieldOverrides fields;
  try {
    fields = ParseInputsText(content, "fuzz");
  } catch (const InputError&) {
    return;
  }
  std::string written;
  for (int i = 0; i < kelvado::kInputCount; ++i) {
    if (!fields[i]) continue;
    written += kelvado::kInputFields[i].optionName;
    written += " = ";
    written += *fields[i];
    written += "\r\n";
  }
  if (ParseInputsText(written, "written") != fields) std::abort();
}

// A sweep range that is accepted gives exactly COUNT finite values from FROM to TO.
void CheckRange(std::string_view text) {
  using namespace kelvado;
  RangeText range;
  std::vector<double> values;
  try {
    range = ParseRange(text, "--vary");
    values = RangeValues(range, '.', "--vary");
  } catch (const InputError&) {
    return;
  }
  if (values.size() != range.count) std::abort();
  for (const double v : values) {
    if (!std::isfinite(v)) std::abort();
  }
  if (values.front() != *ParseNumber(range.from, '.')) std::abort();
  if (range.count > 1 && values.back() != *ParseNumber(range.to, '.')) std::abort();
}

// A screw speed and one field text, both arbitrary: the characteristic's plan either
// refuses the speed, or gives each case a flow rate that reads back as its table value, or
// settles the case as a failure with no value.
void CheckCharacteristic(std::string_view text) {
  using namespace kelvado;
  const std::size_t cut = text.find('\n');
  if (cut == std::string_view::npos || cut + 1 >= text.size()) return;
  const std::string rpm(text.substr(0, cut));
  kelvado::InputTexts base = kelvado::DefaultInputTexts();
  const int field = static_cast<unsigned char>(text[cut + 1]) % kelvado::kInputCount;
  base[field] = std::string(text.substr(cut + 2));
  BatchPlan plan;
  try {
    plan = PlanCharacteristic(base, ParseRange("30:90:3", "--output-rate"), rpm, '.');
  } catch (const InputError&) {
    return;
  }
  for (std::size_t i = 0; i < plan.cases.size(); ++i) {
    const double shown = plan.inputValues[i][1];
    if (plan.cases[i].settled) {
      if (!std::isnan(shown) || plan.cases[i].settled->status == kelvado::RunStatus::Finished) std::abort();
      continue;
    }
    const std::optional<double> ratio = ParseNumber(plan.cases[i].inputs[kelvado::Field::FlowRateRatio], '.');
    if (!ratio || !std::isfinite(*ratio) || *ratio != shown) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckNumber(text, '.');
  CheckNumber(text, ',');
  // Any byte as the separator, even one that a blank or a digit would be confused with.
  if (size > 0) CheckNumber(text.substr(1), static_cast<char>(data[0]), false);
  CheckInputsFile(text);
  CheckRange(text);
  CheckCharacteristic(text);
  return 0;
}
