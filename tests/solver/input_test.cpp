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


// Every field's bound at its limit: the value on the far side is refused with the field's
// message, the nearest value on the near side passes that field. The limits are written
// here as numbers of their own (the pitch across the channel: p pi D / sqrt((pi D)^2 + p^2)),
// and every field has a row, so that a moved limit, a flipped comparison, a dropped field or
// a field read into another's value fails.
TEST(ReadInputData, HoldsEveryFieldToItsBoundAtTheLimit) {
  struct Row {
    Field field;
    const char* refused;  // nullptr: no value is refused
    const char* message;
    const char* accepted;
  };
  const Row rows[] = {
      {Field::BarrelDiameter, "0", "Barrel Diameter (cm) must be above zero", "5e-324"},
      {Field::LengthRatio, "0", "L/D (-) must be above zero and at most 1000 turns", "1000"},
      {Field::LengthRatio, "1000.0000000000001", "L/D (-) must be above zero and at most 1000 turns", "5e-324"},
      {Field::ChannelDepth, "0", "Channel Depth (cm) must be above zero", "3.2499999999999996"},
      {Field::ChannelDepth, "3.25", "Channel Depth (cm) must be less than the barrel radius, 3.25", "5e-324"},
      {Field::ScrewPitch, "0", "Screw Pitch (cm) must be above zero", "5e-324"},
      // 6.5 pi 6.5 / sqrt((6.5 pi)^2 + 6.5^2) = 6.193788...; along the axis it would be 6.5.
      {Field::FlightWidth, "6.3", "Flight Width (cm) must be less than the pitch across the channel, 6.19379", "6.1937"},
      {Field::OutputRate, "0", "Output (kg/hr) must be above zero", "5e-324"},
      {Field::FlowRateRatio, "0", "Dimensionless Flow Rate (-) must be above zero", "5e-324"},
      {Field::Density, "0", "Density (g/cm3) must be above zero", "5e-324"},
      {Field::SpecificHeat, "0", "Specific Heat (cal/g.\u2103) must be above zero", "5e-324"},
      {Field::Conductivity, "0", "Thermal\u3000Conductivity (cal/cm.s.\u2103) must be above zero", "5e-324"},
      {Field::InletTemp, "-273.15", "Inlet Melt Temperature (\u2103) must be above absolute zero, -273.15", "-273.1499999999999"},
      {Field::BarrelTemp, "-273.15", "Barrel Temperature (\u2103) must be above absolute zero, -273.15", "-273.1499999999999"},
      {Field::StdViscosity, "0", "Std. Vis. (gf.s/cm2) must be above zero", "5e-324"},
      {Field::StdShearRate, "0", "Std. SR (1/sec) must be above zero", "5e-324"},
      {Field::StdTemp, "-273.15", "Std. Temp. (\u2103) must be above absolute zero, -273.15", "-273.1499999999999"},
      {Field::PowerIndex, "0", "Parameter n (-) must be above zero and at most 1", "1"},
      {Field::PowerIndex, "1.0000000000000002", "Parameter n (-) must be above zero and at most 1", "5e-324"},
      {Field::TempCoeff, nullptr, "", "-1e300"},
  };
  std::array<bool, kInputCount> covered{};
  for (const Row& row : rows) {
    const std::string name(FieldInfo(row.field).optionName);
    covered[static_cast<std::size_t>(row.field)] = true;
    if (row.refused != nullptr) {
      CalcState s;
      testing::RecordingServices services;
      InputTexts texts = DefaultInputTexts();
      texts[row.field] = row.refused;
      ReadInputData(s, texts, '.', services);
      EXPECT_EQ(s.InputValid, 0) << name << ' ' << row.refused;
      EXPECT_EQ(s.InvalidField, static_cast<int>(row.field)) << name << ' ' << row.refused;
      ASSERT_EQ(services.messages.size(), 1u) << name;
      EXPECT_EQ(services.messages[0], std::string(row.message) + "; change and try again!") << name;
    }
    CalcState s;
    testing::RecordingServices services;
    InputTexts texts = DefaultInputTexts();
    texts[row.field] = row.accepted;
    ReadInputData(s, texts, '.', services);
    EXPECT_NE(s.InvalidField, static_cast<int>(row.field)) << name << ' ' << row.accepted << ": " << (services.messages.empty() ? "" : services.messages[0]);
  }
  for (int i = 0; i < kInputCount; ++i) EXPECT_TRUE(covered[i]) << FieldInfo(static_cast<Field>(i)).optionName << " has no row";
}

// Each field's text lands in its own value: a distinct number per field, read back by name.
TEST(ReadInputData, ReadsEachFieldIntoItsOwnValue) {
  InputTexts texts;
  for (int i = 0; i < kInputCount; ++i) texts[i] = std::to_string(i + 1) + ".5";
  texts[Field::BarrelDiameter] = "100";  // room for every depth and flight below
  texts[Field::ScrewPitch] = "40.5";
  texts[Field::PowerIndex] = "0.25";
  CalcState s;
  testing::RecordingServices services;
  ReadInputData(s, texts, '.', services);
  ASSERT_EQ(s.InputValid, 1) << (services.messages.empty() ? "" : services.messages[0]);
  const double read[] = {s.BarrelDiameter, s.LengthRatio, s.ChannelDepth, s.ScrewPitch, s.FlightWidth, s.OutputRate,
                         s.FlowRateRatio, s.Density, s.SpecificHeat, s.Conductivity, s.InletTemp, s.BarrelTemp,
                         s.StdViscosity, s.StdShearRate, s.StdTemp, s.PowerIndex, s.TempCoeff};
  const double expected[] = {100, 2.5, 3.5, 40.5, 5.5, 6.5, 7.5, 8.5, 9.5, 10.5, 11.5, 12.5, 13.5, 14.5, 15.5, 0.25, 17.5};
  for (int i = 0; i < kInputCount; ++i) EXPECT_EQ(read[i], expected[i]) << FieldInfo(static_cast<Field>(i)).optionName;
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
