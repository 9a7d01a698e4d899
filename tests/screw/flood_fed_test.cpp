// SPDX-License-Identifier: Apache-2.0
#include "studies/flood_fed.h"

#include <gtest/gtest.h>

#include "tests/screw/pellet_case.h"

namespace kelvado::testing {
namespace {

FloodFedRequest FloodFed(const std::string& die, double meteringDepth = 0.5) {
  FloodFedRequest request;
  request.screw = PelletCase(0, 60, {Zone(4, 1.0, 1.0, 150), Zone(6, 1.0, meteringDepth, 200),
                                     Zone(10, meteringDepth, meteringDepth, 220)});
  request.screw.run.inputs[Field::PowerIndex] = "0.5";
  request.screw.run.inputs[Field::TempCoeff] = "0.01";
  request.die = {ParseDieSection(die)};
  return request;
}

// The output found is one at which the screw's end pressure is the die's drop, and outputs
// either side of it build more and less.
TEST(FloodFed, TheDieLimitedOutputIsWhereTheScrewMeetsTheDie) {
  const FloodFedRequest request = FloodFed("slit:width=20,gap=0.08,length=4");
  const FloodFedResult result = FindFloodFedOutput(request);
  ASSERT_EQ(result.status, OperatingPointStatus::Found) << result.message;
  EXPECT_EQ(result.limitedBy, "die");
  EXPECT_NEAR(result.point.screwPressure, result.point.diePressure, 0.005 * result.point.diePressure);
  EXPECT_LT(result.point.output, result.feedCeiling);
  EXPECT_EQ(result.outcome.plastication.limitedBy, "die");
  // The die's drop is the one of its own formula at the point's melt: checked by the die's
  // tests; here that the point is not at an end of the search.
  bool above = false, below = false;
  for (const FloodFedRun& run : result.runs) {
    if (run.status != RunStatus::Finished) continue;
    above |= run.output < result.point.output && run.Residual() > 0;
    below |= run.output > result.point.output && run.Residual() < 0;
  }
  EXPECT_TRUE(above && below);
}

// A die so open that the screw builds more than it needs even at the feed's ceiling: the
// feed limits the output, which is the solids' output against no pressure rise.
TEST(FloodFed, AnOpenDieLeavesTheFeedToLimitTheOutput) {
  // Pellets that slip on the barrel and a deep metering section: the feed conveys less than
  // the screw could melt and pump.
  FloodFedRequest request = FloodFed("slit:width=40,gap=1.5,length=0.5", 0.8);
  request.screw.pellet[PelletField::BarrelFriction] = 0.3;
  const FloodFedResult result = FindFloodFedOutput(request);
  ASSERT_EQ(result.status, OperatingPointStatus::Found) << result.message;
  EXPECT_EQ(result.limitedBy, "feed");
  EXPECT_NEAR(result.point.output, FeedCeiling(request.screw), 1e-6 * result.point.output);
  EXPECT_GE(result.point.screwPressure, result.point.diePressure);
}

}  // namespace
}  // namespace kelvado::testing
