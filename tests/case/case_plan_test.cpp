// SPDX-License-Identifier: Apache-2.0
// Ranges and the cases they make.
#include "case/case_plan.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "solver/input_error.h"
#include "solver/input_fields.h"

namespace kelvado {
namespace {

std::vector<double> Values(std::string_view text, char separator = '.') {
  return RangeValues(ParseRange(text, "--vary x"), separator, "--vary x");
}


InputTexts DefaultsWithDecimalComma() {
  InputTexts texts = DefaultInputTexts();
  for (std::string& text : texts) std::replace(text.begin(), text.end(), '.', ',');
  return texts;
}

TEST(Range, EvenlySpacedWithBothEndsExact) {
  EXPECT_EQ(Values("40:80:5"), (std::vector<double>{40, 50, 60, 70, 80}));
  EXPECT_EQ(Values("80:40:3"), (std::vector<double>{80, 60, 40}));
  EXPECT_EQ(Values("5:9:1"), std::vector<double>{5});
  EXPECT_EQ(Values("-1:-1:2"), (std::vector<double>{-1, -1}));
  // The decimals a person typed, not their nearest neighbours.
  EXPECT_EQ(Values("0.3:0.6:4"), (std::vector<double>{0.3, 0.4, 0.5, 0.6}));
  EXPECT_EQ(Values("0,1:0,7:7", ','), (std::vector<double>{0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7}));
  const std::vector<double> ends = Values("0.1000000000000000055511:0.30000000000000004:3");
  EXPECT_EQ(ends.front(), 0.1);
  EXPECT_EQ(ends.back(), 0.30000000000000004);
  EXPECT_EQ(Values("1:2:100000").size(), 100000u);
}

TEST(Range, MalformedRangesAreUsageErrors) {
  for (const char* text : {"1:2", "1:2:3:4", "1:2:", "1:2:0", "1:2:-1", "1:2:2.5", "1:2:abc", "1:2: 3",
                           "1:2:100001", "1:2:99999999999999999999999", ":2:3", "1::3", "a:2:3", "1:2e999:2"}) {
    EXPECT_THROW(Values(text), InputError) << text;
  }
  EXPECT_THROW(Values("1.5:2:3", ','), InputError);
  try {
    Values("1:2:0");
  } catch (const InputError& error) {
    EXPECT_STREQ(error.what(), "--vary x: COUNT must be a whole number from 1 to 100000, not '0'");
  }
}

TEST(PlanSweep, FirstRangeSlowestWithExactTextsInTheFields) {
  const std::vector<VariedField> varied = {{Field::OutputRate, ParseRange("40:60:2", "")},
                                           {Field::FlowRateRatio, ParseRange("0,3:0,5:3", "")}};
  const BatchPlan plan = PlanSweep(DefaultsWithDecimalComma(), varied, ',');
  ASSERT_EQ(plan.cases.size(), 6u);
  EXPECT_EQ(plan.inputValues[1], (std::vector<double>{40, 0.4}));
  EXPECT_EQ(plan.inputValues[3], (std::vector<double>{60, 0.3}));
  const InputTexts& texts = plan.cases[5].inputs;
  EXPECT_EQ(texts[Field::OutputRate], "60");
  EXPECT_EQ(texts[Field::FlowRateRatio], "0,5");
  EXPECT_EQ(texts[Field::Density], "0,96");  // the rest as given
  EXPECT_EQ(plan.inputColumns[0].name, "output-rate");
  EXPECT_EQ(plan.inputColumns[0].unit, "kg/hr");
  // The tables' unit of every field is the one its caption shows, with the degree sign as
  // a table writes it.
  for (const InputField& field : kInputFields) {
    std::string unit(field.unit);
    if (const std::size_t at = unit.find("\u00B0C"); at != std::string::npos) unit.replace(at, 3, "\u2103");
    EXPECT_TRUE(field.caption.ends_with("(" + unit + ")")) << field.caption;
  }
}

TEST(PlanSweep, ProductOfTheRangesIsCapped) {
  auto plan = [](std::vector<const char*> ranges) {
    std::vector<VariedField> varied;
    for (std::size_t i = 0; i < ranges.size(); ++i) varied.push_back({static_cast<Field>(i), ParseRange(ranges[i], "")});
    return PlanSweep(DefaultInputTexts(), varied, '.');
  };
  EXPECT_EQ(plan({"1:2:100", "1:2:100", "1:2:10"}).cases.size(), 100000u);
  EXPECT_THROW(plan({"1:2:100", "1:2:100", "1:2:11"}), InputError);
  EXPECT_THROW(plan({"1:2:100000", "1:2:100000", "1:2:100000", "1:2:100000"}), InputError);
}

TEST(SweepCases, ATableForAFileMayHoldTenMillionCasesMadeOneAtATime) {
  std::vector<VariedField> varied;
  for (const char* range : {"1:1000:1000", "0:99:100", "5:9:5", "0:19:20"}) {
    varied.push_back({static_cast<Field>(varied.size()), ParseRange(range, "")});
  }
  EXPECT_THROW(SweepCases(DefaultInputTexts(), varied, '.', kMaxSweepCases), InputError);
  const CasePlan plan = SweepCases(DefaultInputTexts(), varied, '.', kMaxCsvSweepCases);
  EXPECT_EQ(plan.count, 10'000'000u);
  // Case 1234567 in mixed radix (1000, 100, 5, 20): digits 123, 45, 3, 7.
  std::vector<double> values;
  const SweepCase c = plan.make(1234567, values);
  EXPECT_EQ(values, (std::vector<double>{124, 45, 8, 7}));
  EXPECT_EQ(c.inputs[0], "124");
  EXPECT_EQ(c.inputs[3], "7");
  EXPECT_EQ(c.inputs[4], DefaultInputTexts()[4]);
  varied.push_back({Field::Density, ParseRange("1:2:2", "")});
  EXPECT_THROW(SweepCases(DefaultInputTexts(), varied, '.', kMaxCsvSweepCases), InputError);
}

TEST(PlanCharacteristic, ScrewSpeedMustBeANumberAboveZero) {
  const RangeText outputs = ParseRange("40:60:2", "");
  for (const char* rpm : {"0", "-5", "abc", "", "70,5"}) {
    EXPECT_THROW(PlanCharacteristic(DefaultInputTexts(), outputs, rpm, '.'), InputError) << rpm;
  }
  const BatchPlan plan = PlanCharacteristic(DefaultsWithDecimalComma(), outputs, "70,5", ',');
  EXPECT_EQ(plan.cases[1].inputs[Field::OutputRate], "60");
  const double ratio = plan.inputValues[1][1];
  EXPECT_EQ(ratio, FlowRateRatioForRpm(DefaultInputTexts(), '.', 70.5).ratio);
  EXPECT_EQ(plan.cases[1].inputs[Field::FlowRateRatio], ExactNumberText(ratio, ','));
}

}  // namespace
}  // namespace kelvado
