// SPDX-License-Identifier: Apache-2.0
#pragma once
// The cases of a sweep or characteristic, and the input values that tell them apart.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "case/range.h"
#include "solver/sweep.h"

namespace kelvado {

// A field a sweep varies over a range.
struct VariedField {
  Field field = Field::BarrelDiameter;
  RangeText range;
};

// An input column of the cases' table: the field's option name and unit, and the decimals
// it is shown with (kShortest: the shortest text that reads back).
struct InputColumn {
  static constexpr int kShortest = -1;

  std::string name;
  std::string unit;
  int decimals = kShortest;
};

// The cases made one at a time, so that a plan of millions of cases takes no more memory
// than one of ten.
struct CasePlan {
  std::vector<InputColumn> inputColumns;
  // Every value each input column can show, where known before the cases run (the sweep's
  // ranges); empty for a column found out case by case.
  std::vector<std::vector<double>> columnValues;
  std::size_t count = 0;
  // Case `index` (0 <= index < count) and its value of each input column, NaN where the
  // case has none (a characteristic case with no flow rate for the speed). Safe to call
  // from several threads at once.
  std::function<SweepCase(std::size_t index, std::vector<double>& inputValues)> make;
};

// Every combination of the ranges over `base`, the first range changing slowest. Each value
// goes into its field as the text that reads back as exactly that value. Throws InputError
// for a range that is not numbers and for more than `maxCases` cases.
CasePlan SweepCases(const InputTexts& base, const std::vector<VariedField>& varied, char separator,
                    std::size_t maxCases);

// One case per output, each with the dimensionless flow rate at which that output needs
// `rpm` revolutions per minute; the command line and the window's characteristic alike.
CasePlan CharacteristicCases(const InputTexts& base, std::vector<double> outputs, double rpm, char separator);

// The same from texts. Throws InputError for a screw speed that is not a number above zero
// and for an output range that is not numbers.
CasePlan CharacteristicCases(const InputTexts& base, const RangeText& outputs, const std::string& rpmText,
                             char separator);

// A plan with every case made up front.
struct BatchPlan {
  std::vector<InputColumn> inputColumns;
  // Per case, one per input column; NaN where the case has none, shown as an empty cell.
  std::vector<std::vector<double>> inputValues;
  std::vector<SweepCase> cases;
};

// Every case of the plan made at once.
BatchPlan MadeUpFront(const CasePlan& lazy);

// SweepCases with at most kMaxSweepCases cases, and CharacteristicCases, made up front.
BatchPlan PlanSweep(const InputTexts& base, const std::vector<VariedField>& varied, char separator);
BatchPlan PlanCharacteristic(const InputTexts& base, const RangeText& outputs, const std::string& rpmText,
                             char separator);

}  // namespace kelvado
