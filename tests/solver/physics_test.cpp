// SPDX-License-Identifier: Apache-2.0
// With n = 1 and b = 0 the melt is Newtonian with a uniform viscosity, and the flat-plate
// solution is known in closed form: the solver must reproduce it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
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

// The consistent model marches exactly the channel's length: a Newtonian melt builds the
// closed-form pressure 6 mu Vbz (1 - 2 qd) L / H^2, with and without back flow, long or short.
TEST(ConsistentNewtonian, BuildsTheClosedFormPressureOverExactlyTheChannel) {
  testing::RunInDir dir;
  for (const char* ratio : {"0.1", "0.3", "0.45", "0.6"}) {
    for (const char* length : {"1", "8"}) {
      RunRequest request{testing::DefaultsWith({{Field::PowerIndex, "1"}, {Field::TempCoeff, "0"},
                                                {Field::FlowRateRatio, ratio}, {Field::LengthRatio, length}}),
                         dir.Path("consistent.txt")};
      request.flowModel = FlowModel::Consistent;
      const RunOutcome run = RunWithResultsFile(request, dir.services);
      ASSERT_EQ(run.status, RunStatus::Finished) << ratio << " " << length;
      const OperatingRecord& op = run.record.operating;
      const double qd = std::stod(ratio);
      const double closedForm = 6 * 10.5 * op.BarrelSpeedZ * (1 - 2 * qd) / (0.25 * 0.25) * op.ChannelLength / 1000;
      EXPECT_NEAR(run.summary.OutletPressure, closedForm, 2e-3 * std::fabs(closedForm)) << ratio << " " << length;
    }
  }
  const std::string file = testing::ReadBytes(dir.Path("consistent.txt"));
  EXPECT_EQ(file.find("    Flow Model                              =  consistent\r\n"), 2u);
}

}  // namespace
}  // namespace kelvado
