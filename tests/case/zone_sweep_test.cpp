// SPDX-License-Identifier: Apache-2.0
// Sweeps over a value of a zone: each case is the screw with that value, driven at the speed.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <variant>
#include <vector>

#include "case/case_plan.h"
#include "solver/input_error.h"
#include "solver/input_fields.h"
#include "tests/solver/zone_closed_form.h"

namespace kelvado {
namespace {

std::vector<ScrewZone> Zones(const std::vector<std::string>& texts) {
  return std::get<std::vector<ScrewZone>>(ParseZones(texts));
}

VariedField Vary(const std::string& name, const std::string& range) {
  return {Field::BarrelDiameter, ParseRange(range, name), ParseZoneValueName(name)};
}

TEST(ZoneSweep, EachCaseBuildsTheClosedFormOfItsZone) {
  InputTexts newtonian = DefaultInputTexts();
  for (const auto& [field, text] : {std::pair<Field, std::string>{Field::PowerIndex, "1"},
                                    {Field::TempCoeff, "0"}, {Field::OutputRate, "60"}}) {
    newtonian[field] = text;
  }
  const BatchPlan plan = MadeUpFront(SweepCases(newtonian, {Vary("zone1.depth-to", "0.25:0.45:3")}, '.',
                                                kMaxSweepCases, Zones({"turns=4,depth=0.6:0.3"}), 60.0));
  ASSERT_EQ(plan.inputColumns.size(), 2u);
  EXPECT_EQ(plan.inputColumns[0].name, "zone1.depth-to");
  EXPECT_EQ(plan.inputColumns[1].name, "flow-rate-ratio");
  SweepOptions options;
  options.flowModel = FlowModel::Consistent;
  const std::vector<SweepResult> results = RunSweep(plan.cases, options);
  ASSERT_EQ(results.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    ASSERT_EQ(results[i].status, RunStatus::Finished) << results[i].message;
    const double depth = plan.inputValues[i][0];
    const double expected = testing::ClosedFormPressure(4, 0.6, depth, 60);
    EXPECT_NEAR(results[i].summary.OutletPressure, expected, 2e-3 * std::fabs(expected)) << depth;
    EXPECT_NEAR(results[i].summary.Rpm, 60, 1e-9);
  }
}

TEST(ZoneSweep, ValuesTheScrewCanNotTakeAreRefused) {
  const std::vector<ScrewZone> zones = Zones({"turns=4,depth=0.6", "turns=4,depth=0.6:0.25"});
  auto refused = [&](const std::vector<VariedField>& varied, std::optional<double> rpm) {
    try {
      SweepCases(DefaultInputTexts(), varied, '.', kMaxSweepCases, zones, rpm);
    } catch (const InputError& error) {
      return std::string(error.what());
    }
    return std::string("not refused");
  };
  EXPECT_EQ(refused({Vary("zone2.depth", "0.2:0.3:2")}, 80),
            "--vary zone2.depth: the zone's depth changes from 0.6 to 0.25 cm; vary zone2.depth-from or .depth-to");
  EXPECT_EQ(refused({Vary("zone3.turns", "1:2:2")}, 80), "--vary zone3.turns: the screw has 2 zones");
  EXPECT_EQ(refused({Vary("zone1.turns", "1:2:2")}, std::nullopt), kZonesNeedSpeed);
  EXPECT_EQ(refused({{Field::ChannelDepth, ParseRange("0.2:0.3:2", "")}}, 80),
            "--vary channel-depth: the zones set it; vary a zone's depth or turns (zoneN.depth, zoneN.turns)");
  EXPECT_EQ(refused({{Field::FlowRateRatio, ParseRange("0.2:0.3:2", "")}}, 80),
            "--vary flow-rate-ratio: the screw speed sets the flow-rate ratio");
  EXPECT_THROW(ParseZoneValueName("zone0.turns"), InputError);
  EXPECT_THROW(ParseZoneValueName("zone1.colour"), InputError);
  EXPECT_FALSE(ParseZoneValueName("output-rate"));

  // A value that leaves a zone impossible fails that case alone, naming the zone.
  const BatchPlan plan = MadeUpFront(SweepCases(DefaultInputTexts(), {Vary("zone1.turns", "-1:4:2")}, '.',
                                                kMaxSweepCases, zones, 80.0));
  ASSERT_TRUE(plan.cases[0].settled);
  EXPECT_EQ(plan.cases[0].settled->status, RunStatus::ImproperInput);
  EXPECT_NE(plan.cases[0].settled->message.find("\"turns=-1,depth=0.6\""), std::string::npos);
  EXPECT_FALSE(plan.cases[1].settled);
  EXPECT_TRUE(std::isnan(plan.inputValues[0][1]));
}

}  // namespace
}  // namespace kelvado
