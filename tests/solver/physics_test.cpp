// SPDX-License-Identifier: Apache-2.0
// With n = 1 and b = 0 the melt is Newtonian with a uniform viscosity, and the flat-plate
// solution is known in closed form: the solver must reproduce it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "report/number_format.h"
#include "tests/solver/run_fixture.h"
#include "solver/calc_state.h"

namespace kelvado {
namespace {

class NewtonianChannel : public ::testing::Test {
 protected:
  void SetUp() override {
    fixture.services.onStep = [this](const CalcState& s) {
      closureIters.push_back(s.ClosureIter);
      if (s.StepCount == 1) first = s;
    };
    outcome = fixture.Run(testing::DefaultsWith({{Field::PowerIndex, "1"}, {Field::TempCoeff, "0"}}));
  }

  testing::RunInDir fixture;
  std::vector<int> closureIters;
  CalcState first;
  RunOutcome outcome;
};

TEST_F(NewtonianChannel, ClosureAcceptsTheFlatPlateGradientsOnEveryStep) {
  ASSERT_EQ(outcome.status, RunStatus::Finished);
  ASSERT_EQ(closureIters.size(), 161u);  // L/D 8: twenty steps a turn, plus the step past the end
  for (std::size_t i = 0; i < closureIters.size(); ++i) EXPECT_EQ(closureIters[i], 0) << "step " << i;
}

TEST_F(NewtonianChannel, PressureIsTheNewtonianGradientTimesTheChannel) {
  ASSERT_EQ(outcome.status, RunStatus::Finished);
  const CalcState& s = first;
  const double eta = 10.5;
  const double H = s.ChannelDepth;
  const double gz = 6 * eta * s.BarrelSpeedZ * (1 - 2 * s.FlowRateRatio) / (H * H);
  const double gx = 6 * eta * s.BarrelSpeedX / (H * H);
  EXPECT_NEAR(s.PressGradZ, gz, std::fabs(gz) * 1e-12);
  EXPECT_NEAR(s.PressGradX, gx, std::fabs(gx) * 1e-12);
  const double expected = 161 * gz * s.StepZ / 1000;
  EXPECT_NEAR(outcome.summary.OutletPressure, expected, expected * 1e-12);
  EXPECT_EQ(FormatFixed(outcome.summary.OutletPressure, 8, 2), "484.06");
}

TEST_F(NewtonianChannel, VelocityProfilesAreTheFlatPlateParabolas) {
  ASSERT_EQ(outcome.status, RunStatus::Finished);
  const CalcState& s = first;
  const double qd = s.FlowRateRatio;
  for (int j = 0; j <= s.NDiv; ++j) {
    const double xi = j / 20.0;
    const double vz = s.BarrelSpeedZ * (xi + 3 * (1 - 2 * qd) * (xi * xi - xi));
    const double vx = s.BarrelSpeedX * xi * (3 * xi - 2);
    EXPECT_NEAR(s.VelZ[j], vz, 1e-12 * s.BarrelSpeedZ) << "node " << j;
    EXPECT_NEAR(s.VelX[j], vx, 1e-12 * s.BarrelSpeedX) << "node " << j;
    EXPECT_EQ(s.Viscosity[j], 10.5);
  }
}

}  // namespace
}  // namespace kelvado

namespace kelvado {
namespace {

// The consistent model solves the same physics: for a Newtonian melt it must give the
// classic results to rounding, in a file that differs only by the line naming its model.
TEST_F(NewtonianChannel, ConsistentModelAgreesToRoundingAndSaysSoInItsFile) {
  ASSERT_EQ(outcome.status, RunStatus::Finished);
  RunRequest request{testing::DefaultsWith({{Field::PowerIndex, "1"}, {Field::TempCoeff, "0"}}),
                     fixture.Path("consistent.txt")};
  request.flowModel = FlowModel::Consistent;
  const RunOutcome consistent = RunWithResultsFile(request, fixture.services);
  ASSERT_EQ(consistent.status, RunStatus::Finished);
  const OutletSummary& a = outcome.summary;
  const OutletSummary& b = consistent.summary;
  for (const auto& [x, y] : {std::pair{a.OutletPressure, b.OutletPressure}, {a.AvgTemp, b.AvgTemp},
                             {a.TotalPowerKW, b.TotalPowerKW}, {a.Cooling2KW, b.Cooling2KW},
                             {a.MixingDegree, b.MixingDegree}}) {
    EXPECT_NEAR(x, y, std::fabs(x) * 1e-9);
  }
  const std::string classicFile = testing::ReadBytes(fixture.Path());
  const std::string consistentFile = testing::ReadBytes(fixture.Path("consistent.txt"));
  const std::string line = "    Flow Model                              =  consistent\r\n";
  ASSERT_EQ(consistentFile.find(line), 2u);  // first, after the blank line
  EXPECT_EQ(classicFile.find("Flow Model"), std::string::npos);
  EXPECT_EQ(std::count(consistentFile.begin(), consistentFile.end(), '\n'),
            std::count(classicFile.begin(), classicFile.end(), '\n') + 1);
}

}  // namespace
}  // namespace kelvado
