// SPDX-License-Identifier: Apache-2.0
#include "solver/operating_point.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tests/solver/run_fixture.h"

namespace kelvado {
namespace {

using testing::DefaultsWith;

constexpr double pi = std::numbers::pi;

OperatingPointRequest Request(const InputTexts& inputs, double rpm, const char* die) {
  OperatingPointRequest request;
  request.inputs = inputs;
  request.rpm = rpm;
  request.die = {ParseDieSection(die)};
  return request;
}

InputTexts Newtonian() { return DefaultsWith({{Field::PowerIndex, "1"}, {Field::TempCoeff, "0"}}); }

// n = 1, b = 0: the screw's outlet pressure is the flat-plate gradient
// 6 eta Vbz (1 - 2 qd)/H^2 over the channel marched (twenty steps a turn and the step past
// the end), a straight line falling with the output; the tube's drop 128 eta L Q/(pi D^4) is
// a straight line through zero. The point is where they meet.
TEST(OperatingPoint, NewtonianScrewAndTubeMeetWhereTheirStraightLinesCross) {
  const double rpm = 70, eta = 10.5, d = 6.5, pitch = 6.5, flight = 0.65, h = 0.25, turns = 8, density = 0.96;
  const double cosTheta = std::cos(std::atan(pitch / (pi * d)));
  const double width = cosTheta * pitch - flight;
  const double vbz = pi * d * rpm / 60 * cosTheta;
  const double channel = (turns * 20 + 1) * (pi * d / cosTheta / 20);
  const double atZeroFlow = channel * 6 * eta * vbz / (h * h);              // gf/cm2
  const double fallPerFlow = channel * 12 * eta / (width * h * h * h);      // gf/cm2 per cm3/s
  const double dieDiameter = 0.35, dieLength = 3;
  const double diePerFlow = 128 * eta * dieLength / (pi * std::pow(dieDiameter, 4));
  const double q = atZeroFlow / (fallPerFlow + diePerFlow);
  const double output = q * density * 3.6;

  std::size_t progressCalls = 0;
  OperatingPointOptions options;
  options.progress = [&](const ScrewRun&, std::size_t done) { progressCalls = done; };
  const OperatingPointResult result = FindOperatingPoint(Request(Newtonian(), rpm, "circular:diameter=0.35,length=3"), options);
  ASSERT_EQ(result.status, OperatingPointStatus::Found) << result.message;
  const ScrewRun& point = result.point;
  EXPECT_NEAR(point.output, output, 1e-3 * output);
  EXPECT_NEAR(point.flowRateRatio, q / (width * h * vbz), 1e-3 * point.flowRateRatio);
  EXPECT_NEAR(point.summary.Rpm, rpm, 1e-9 * rpm);
  EXPECT_NEAR(point.summary.OutletPressure, diePerFlow * q / 1000, 2e-3 * diePerFlow * q / 1000);
  EXPECT_NEAR(point.DiePressureDrop(), diePerFlow * q / 1000, 2e-3 * diePerFlow * q / 1000);
  ASSERT_EQ(point.die.sections.size(), 1u);
  EXPECT_NEAR(point.die.sections[0].apparentShearRate, 32 * point.output / 3.6 / density / (pi * std::pow(dieDiameter, 3)),
              1e-9 * point.die.sections[0].apparentShearRate);
  // The default range spans 10 % to 120 % of the drag flow.
  EXPECT_NEAR(result.outputTo, 0.6 * width * h * vbz * density * 3.6, 1e-9 * result.outputTo);
  EXPECT_NEAR(result.outputFrom, result.outputTo / 12, 1e-9 * result.outputTo);
  EXPECT_EQ(progressCalls, result.runs.size());
  EXPECT_LE(result.runs.size(), 20u);
}

TEST(OperatingPoint, NoCrossingOrAnUnfinishedRunIsSaidNeverGuessed) {
  // The tube takes more than the screw builds at every output.
  OperatingPointRequest narrow = Request(Newtonian(), 70, "circular:diameter=0.05,length=10");
  narrow.outputFrom = 36;
  narrow.outputTo = 60;
  const OperatingPointResult restrictive = FindOperatingPoint(narrow);
  EXPECT_EQ(restrictive.status, OperatingPointStatus::NoCrossing);
  EXPECT_NE(restrictive.message.find("too restrictive"), std::string::npos) << restrictive.message;
  EXPECT_EQ(restrictive.runs.size(), 10u);
  EXPECT_LT(restrictive.point.Residual(), 0);

  // Below the drag flow the screw still builds more than an open die takes.
  OperatingPointRequest low = Request(Newtonian(), 70, "circular:diameter=3,length=1");
  low.outputFrom = 36;
  low.outputTo = 50;
  const OperatingPointResult open = FindOperatingPoint(low);
  EXPECT_EQ(open.status, OperatingPointStatus::NoCrossing);
  EXPECT_NE(open.message.find("from 36.00 to 50.00 kg/hr: the die is too open"), std::string::npos) << open.message;

  // Far below it the classic march at fixed depth becomes unstable under back flow: the run
  // is refused, and no point is taken from it.
  low.outputFrom = 20;
  const OperatingPointResult runaway = FindOperatingPoint(low);
  EXPECT_EQ(runaway.status, OperatingPointStatus::RunFailed);
  EXPECT_EQ(runaway.point.status, RunStatus::Unstable);
  EXPECT_NE(runaway.message.find("flows backwards over"), std::string::npos) << runaway.message;

  // The default melt: the screw runs at low outputs do not converge before the crossing.
  const OperatingPointResult failed =
      FindOperatingPoint(Request(DefaultInputTexts(), 80, "circular:diameter=0.15,length=3"));
  EXPECT_EQ(failed.status, OperatingPointStatus::RunFailed);
  EXPECT_NE(failed.point.status, RunStatus::Finished);
  EXPECT_NE(failed.message.find("did not finish"), std::string::npos) << failed.message;
  EXPECT_NE(failed.message.find("no crossing from 74.56 down to"), std::string::npos) << failed.message;
}

TEST(OperatingPoint, UnusableDieSpeedOrRangeIsImproperInputWithoutAnyRun) {
  OperatingPointRequest request = Request(DefaultInputTexts(), 80, "circular:diameter=0.3,length=3");
  request.die.push_back(DieSection{DieShape::Slit, 0, 20, 0, 0, 0, 2});  // no gap
  OperatingPointResult result = FindOperatingPoint(request);
  EXPECT_EQ(result.status, OperatingPointStatus::ImproperInput);
  EXPECT_NE(result.message.find("the gap must be a length above zero"), std::string::npos) << result.message;

  request.die.pop_back();
  request.rpm = 0;
  EXPECT_EQ(FindOperatingPoint(request).status, OperatingPointStatus::ImproperInput);
  request.rpm = 80;
  request.outputFrom = 50;
  request.outputTo = 40;
  EXPECT_EQ(FindOperatingPoint(request).status, OperatingPointStatus::ImproperInput);
  request.outputTo = 60;
  request.inputs[Field::StdViscosity] = "-3";
  result = FindOperatingPoint(request);
  EXPECT_EQ(result.status, OperatingPointStatus::ImproperInput);
  EXPECT_TRUE(result.runs.empty());

  // A field only the screw reads is refused by its first run.
  request.inputs = DefaultsWith({{Field::BarrelTemp, "hot"}});
  result = FindOperatingPoint(request);
  EXPECT_EQ(result.status, OperatingPointStatus::ImproperInput);
  EXPECT_EQ(result.message, "Barrel Temperature (\xE2\x84\x83) is not a number: 'hot'");

  std::atomic<bool> cancel{true};
  OperatingPointOptions options;
  options.cancel = &cancel;
  request.inputs = DefaultInputTexts();
  EXPECT_EQ(FindOperatingPoint(request, options).status, OperatingPointStatus::Cancelled);
}

}  // namespace
}  // namespace kelvado
