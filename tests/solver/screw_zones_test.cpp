// SPDX-License-Identifier: Apache-2.0
// A screw of zones against the closed forms of a Newtonian melt of one temperature and
// against the one channel it stands for.
#include "solver/screw_zones.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <variant>
#include <vector>

#include "solver/sweep.h"
#include "tests/solver/run_fixture.h"
#include "tests/solver/zone_closed_form.h"

namespace kelvado {
namespace {

std::vector<ScrewZone> Zones(const std::vector<std::string>& texts) {
  auto parsed = ParseZones(texts);
  EXPECT_TRUE(std::holds_alternative<std::vector<ScrewZone>>(parsed));
  return std::get<std::vector<ScrewZone>>(parsed);
}

// The zoned run at `rpm` of `base`, as the command line makes it.
RunOutcome RunZoned(const InputTexts& base, const std::vector<ScrewZone>& zones, double rpm,
                    FlowModel model = FlowModel::Consistent) {
  const SweepCase driven = CharacteristicCase(ZonedInputs(base, zones, '.'), '.', rpm, 60);
  EXPECT_FALSE(driven.settled);
  testing::RunInDir dir;
  RunRequest request{driven.inputs, {}};
  request.writeResultsFile = false;
  request.flowModel = model;
  request.zones = zones;
  request.keptSteps = kKeepEverySteps;
  return RunWithResultsFile(request, dir.services);
}

TEST(ScrewZones, NewtonianPressureIsTheClosedFormOfEachZoneAndTheirSum) {
  const InputTexts newtonian = testing::DefaultsWith({{Field::PowerIndex, "1"}, {Field::TempCoeff, "0"}});
  const RunOutcome compression = RunZoned(newtonian, Zones({"turns=4,depth=0.6:0.25"}), 60);
  ASSERT_EQ(compression.status, RunStatus::Finished) << compression.detail;
  const double expected = testing::ClosedFormPressure(4, 0.6, 0.25, 60);
  EXPECT_NEAR(compression.summary.OutletPressure, expected, 2e-3 * std::fabs(expected));

  const RunOutcome chain = RunZoned(newtonian, Zones({"turns=3,depth=0.4", "turns=5,depth=0.3"}), 90);
  ASSERT_EQ(chain.status, RunStatus::Finished) << chain.detail;
  const double first = testing::ClosedFormPressure(3, 0.4, 0.4, 90);
  const double sum = first + testing::ClosedFormPressure(5, 0.3, 0.3, 90);
  EXPECT_NEAR(chain.summary.OutletPressure, sum, 2e-3 * std::fabs(sum));
  ASSERT_EQ(chain.record.zones.size(), 2u);
  EXPECT_NEAR(chain.record.zones[0].EndPressure, first, 2e-3 * std::fabs(first));
  // Sixty steps in the first zone, a hundred in the second, each with its zone and depth.
  ASSERT_EQ(chain.record.steps.size(), 161u);
  EXPECT_EQ(chain.record.steps[59].Zone, 1);
  EXPECT_EQ(chain.record.steps[59].Depth, 0.4);
  EXPECT_EQ(chain.record.steps[60].Zone, 2);
  EXPECT_EQ(chain.record.steps[160].Depth, 0.3);
}

TEST(ScrewZones, OneZoneOfTheDefaultChannelIsTheDefaultRun) {
  testing::RunInDir dir;
  RunRequest plain{DefaultInputTexts(), {}};
  plain.writeResultsFile = false;
  plain.flowModel = FlowModel::Consistent;
  const RunOutcome channel = RunWithResultsFile(plain, dir.services);
  ASSERT_EQ(channel.status, RunStatus::Finished);
  const RunOutcome zoned = RunZoned(DefaultInputTexts(), Zones({"turns=8,depth=0.25"}), channel.summary.Rpm);
  ASSERT_EQ(zoned.status, RunStatus::Finished) << zoned.detail;
  EXPECT_NEAR(zoned.summary.OutletPressure, channel.summary.OutletPressure, 1e-6 * channel.summary.OutletPressure);
  EXPECT_NEAR(zoned.summary.AvgTemp, channel.summary.AvgTemp, 1e-6 * channel.summary.AvgTemp);
}

TEST(ScrewZones, BadZonesAreRefusedNamingTheText) {
  for (const char* text : {"turns=4,depth=0.3,colour=red", "turns=0,depth=0.3", "turns=4,depth=-0.3", "depth=0.3",
                           "turns=4", "turns=4;depth=0.3"}) {
    const auto parsed = ParseZone(text);
    ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << text;
    EXPECT_NE(std::get<std::string>(parsed).find(std::string("\"") + text + "\""), std::string::npos)
        << std::get<std::string>(parsed);
  }
  // Deeper than the barrel's radius, or run in the classic model: refused before anything.
  const RunOutcome deep = RunZoned(DefaultInputTexts(), Zones({"turns=4,depth=0.3:3.3"}), 80);
  EXPECT_EQ(deep.status, RunStatus::ImproperInput);
  EXPECT_NE(deep.detail.find("turns=4,depth=0.3:3.3"), std::string::npos) << deep.detail;
  const RunOutcome classic = RunZoned(DefaultInputTexts(), Zones({"turns=8,depth=0.25"}), 80, FlowModel::Classic);
  EXPECT_EQ(classic.status, RunStatus::ImproperInput);
}

}  // namespace
}  // namespace kelvado
