#pragma once
// The cases of a sweep or characteristic, and the input values that tell them apart.
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/result_table.h"
#include "solver/sweep.h"

namespace kelvado::cli {

struct BatchPlan {
  std::vector<Column> inputColumns;
  // Per case, one per input column; NaN where the case has none (a characteristic case
  // with no flow rate for the speed), shown as an empty cell.
  std::vector<std::vector<double>> inputValues;
  std::vector<SweepCase> cases;
};

// Every combination of the ranges over `base`, the first range changing slowest. Each value
// goes into its field as the text that reads back as exactly that value. Throws UsageError
// for a range that is not numbers and for more than kMaxSweepCases cases.
BatchPlan PlanSweep(const InputTexts& base, const std::vector<VariedField>& varied, char separator);

// One case per output of the range, each with the dimensionless flow rate at which that
// output needs `rpmText` revolutions per minute. Throws UsageError for a screw speed that
// is not a number above zero and for an output range that is not numbers.
BatchPlan PlanCharacteristic(const InputTexts& base, const RangeText& outputs, const std::string& rpmText,
                             char separator);


}  // namespace kelvado::cli
