// SPDX-License-Identifier: Apache-2.0
#include "solver/input.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <optional>
#include <ostream>

#include "solver/calc_state.h"
#include "solver/input_fields.h"
#include "tests/support/recording_services.h"

namespace kelvado {
namespace {

struct Accepted {
  const char* text;
  double value;
};

void PrintTo(const Accepted& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class AcceptedNumbers : public ::testing::TestWithParam<Accepted> {};

TEST_P(AcceptedNumbers, ReadAsTheirValue) {
  const std::optional<double> value = ParseNumber(GetParam().text, '.');
  ASSERT_TRUE(value.has_value()) << '"' << GetParam().text << '"';
  EXPECT_EQ(*value, GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, AcceptedNumbers,
    ::testing::Values(Accepted{"6.5", 6.5}, Accepted{"  6.5  ", 6.5}, Accepted{"+6.5", 6.5},
                      Accepted{"-0.25", -0.25}, Accepted{"1e2", 100.0}, Accepted{"1E+2", 100.0},
                      Accepted{"2.5e-1", 0.25}, Accepted{"1E", 1.0}, Accepted{"1e-", 1.0},
                      Accepted{".", 0.0}, Accepted{"-.", 0.0}, Accepted{".5", 0.5},
                      Accepted{"5.", 5.0}, Accepted{".e3", 0.0}, Accepted{"007", 7.0},
                      Accepted{"1e-400", 0.0}, Accepted{"0e99999", 0.0},
                      Accepted{"0.1", 0.1}, Accepted{"0.00052", 0.00052},
                      Accepted{"1.7976931348623157e308", 1.7976931348623157e308}));

class RejectedNumbers : public ::testing::TestWithParam<const char*> {};

TEST_P(RejectedNumbers, AreImproper) {
  EXPECT_FALSE(ParseNumber(GetParam(), '.').has_value()) << '"' << GetParam() << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, RejectedNumbers,
    ::testing::Values("", "   ", "6,5", "1.2.3", "6 .5", "6. 5", "\t6.5", "6.5\t", "1,000.0",
                      "abc", "6.5x", "e5", "+", "-", "+-1", "1e2.5", "1e 2", "0x10", "inf",
                      "nan", "1e400", "-1e400", "1d2", "\xE2\x80\x83" "1"));

TEST(ParseNumber, UsesTheGivenDecimalSeparator) {
  EXPECT_EQ(ParseNumber("6,5", ','), 6.5);
  EXPECT_EQ(ParseNumber(" -1,25E1 ", ','), -12.5);
  EXPECT_FALSE(ParseNumber("6.5", ',').has_value());
}

TEST(ParseNumber, LeavesNoFloatingPointFlagRaised) {
  std::feclearexcept(FE_ALL_EXCEPT);
  EXPECT_FALSE(ParseNumber("1e400", '.').has_value());
  EXPECT_TRUE(ParseNumber("1e-400", '.').has_value());
  EXPECT_EQ(std::fetestexcept(FE_OVERFLOW | FE_UNDERFLOW | FE_INVALID | FE_DIVBYZERO), 0);
}

TEST(ReadInputData, ReadsTheDefaultsOfTheWindow) {
  CalcState s;
  testing::RecordingServices services;
  ReadInputData(s, DefaultInputTexts(), '.', services);
  EXPECT_EQ(s.InputValid, 1);
  EXPECT_TRUE(services.messages.empty());
  EXPECT_EQ(s.BarrelDiameter, 6.5);
  EXPECT_EQ(s.FlowRateRatio, 0.45);
  EXPECT_EQ(s.Conductivity, 0.00052);
  EXPECT_EQ(s.PowerIndex, 0.786);
  EXPECT_EQ(s.TempCoeff, 0.0337);
}

TEST(ReadInputData, StopsAtTheFirstImproperFieldWithOneMessage) {
  CalcState s;
  testing::RecordingServices services;
  InputTexts texts = DefaultInputTexts();
  texts[Field::ChannelDepth] = "0,25";   // Edit3
  texts[Field::InletTemp] = "bad";   // a second improper field is never reached
  ReadInputData(s, texts, '.', services);
  EXPECT_EQ(s.InputValid, 0);
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0], "Input data is not proper, change and try again!");
  EXPECT_EQ(s.BarrelDiameter, 6.5);
  EXPECT_EQ(s.LengthRatio, 8.0);
  EXPECT_EQ(s.ChannelDepth, 0.0);
  EXPECT_EQ(s.TempCoeff, 0.0);
}

}  // namespace
}  // namespace kelvado

namespace kelvado {
namespace {

TEST(DefaultInputTexts, AreWrittenWithTheUsersSeparator) {
  const InputTexts comma = DefaultInputTexts(',');
  EXPECT_EQ(comma[0], "6,5");
  EXPECT_EQ(comma[9], "0,00052");
  const InputTexts point = DefaultInputTexts();
  for (int i = 0; i < kInputCount; ++i) EXPECT_EQ(ParseNumber(comma[i], ','), ParseNumber(point[i], '.')) << i;
}

}  // namespace
}  // namespace kelvado
