// SPDX-License-Identifier: Apache-2.0
#pragma once
// The cases of a sweep or characteristic, and the input values that tell them apart.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "case/range.h"
#include "plastication/pellet_inputs.h"
#include "case/zone_values.h"
#include "solver/sweep.h"

namespace kelvado {

// A field a sweep varies over a range, or a value of one of its zones.
struct VariedField {
  Field field = Field::BarrelDiameter;
  RangeText range;
  std::optional<ZoneValue> zoneValue{};  // set: this value of the zones instead of the field
  std::optional<PelletField> pellet{};   // set: this value of a pellet feed instead
};

// The name a sweep's option and table give the varied value: the field's option name, or
// zoneN.KEY.
std::string VariedName(const VariedField& varied);

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

// Every combination of the ranges over `base` and its zones, the first range changing
// slowest. Each value goes into its field as the text that reads back as exactly that value,
// or into its zone. Given a screw speed, each case is driven at it (DrivenCase): its flow-rate
// ratio, a column of its own, follows from its output; a screw of zones needs one. Throws
// InputError for a range that is not numbers, for more than `maxCases` cases, for a value
// the zones or the speed set and for a zone value the zones do not have.
CasePlan SweepCases(const InputTexts& base, const std::vector<VariedField>& varied, char separator,
                    std::size_t maxCases, const std::vector<ScrewZone>& zones = {},
                    std::optional<double> rpm = std::nullopt);

// One case per output, each with the dimensionless flow rate at which that output needs
// `rpm` revolutions per minute (and the screw of zones, if any); the command line and the
// window's characteristic alike.
CasePlan CharacteristicCases(const InputTexts& base, std::vector<double> outputs, double rpm, char separator,
                             const std::vector<ScrewZone>& zones = {});

// The same from texts. Throws InputError for a screw speed that is not a number above zero
// and for an output range that is not numbers.
CasePlan CharacteristicCases(const InputTexts& base, const RangeText& outputs, const std::string& rpmText,
                             char separator, const std::vector<ScrewZone>& zones = {});

inline constexpr const char* kZonesNeedSpeed = "a screw of zones runs at a screw speed: give --rpm R (or an 'rpm =' line)";

// The screw speed of a text. Throws InputError for one that is not a number above zero.
double RpmOf(const std::string& rpmText, char separator);

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
