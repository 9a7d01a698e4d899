// SPDX-License-Identifier: Apache-2.0
// The stages one at a time, on the state the default case sets up.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <tuple>
#include <vector>

#include "solver/bounds.h"
#include "solver/calc_state.h"
#include "solver/closure.h"
#include "solver/grid.h"
#include "solver/input.h"
#include "solver/input_fields.h"
#include "solver/operating.h"
#include "solver/velocity.h"
#include "solver/velocity_pass.h"
#include "solver/viscosity.h"
#include "tests/support/recording_services.h"

namespace kelvado {
namespace {

std::unique_ptr<CalcState> PreparedState(InputTexts texts = DefaultInputTexts()) {
  auto s = std::make_unique<CalcState>();
  testing::RecordingServices services;
  ReadInputData(*s, texts, '.', services);
  ComputeOperatingConditions(*s);
  PrepareGridAndProfiles(*s);
  return s;
}

void ResetShootingMarkers(CalcState& s) {
  s.SpeedErrZPos = -1.0;
  s.SpeedErrZNeg = +1.0;
  s.SpeedErrXPos = -1.0;
  s.SpeedErrXNeg = +1.0;
}

// Viscous heating can not cool: a profile may undershoot the lowest of the inlet and wall
// temperatures by rounding, up to 1 K, and no further; the mean and every node are held to it.
TEST(CheckTemperatureBounds, AllowsOneKelvinBelowTheLowestBoundAndNoMore) {
  auto s = std::make_unique<CalcState>();
  s->NDiv = 20;
  s->LowestBoundTemp = 250;
  s->BarrelDiameter = 6.5;
  s->LengthRatio = 8;
  for (const auto& [mean, node, refused] : {std::tuple{249.1, 260.0, false}, std::tuple{248.9, 260.0, true},
                                            std::tuple{260.0, 249.1, false}, std::tuple{260.0, 248.9, true}}) {
    s->AvgTemp = mean;
    s->TempPrev.fill(260);
    s->TempPrev[7] = node;
    EXPECT_EQ(CheckTemperatureBounds(*s, true).has_value(), refused) << mean << ' ' << node;
  }
}

TEST(PrepareGridAndProfiles, StartsFromTheNewtonianFlatPlateSolution) {
  InputTexts texts = DefaultInputTexts();
  texts[Field::InletTemp] = "280.0";  // inlet below the barrel temperature
  auto s = PreparedState(texts);
  EXPECT_EQ(s->NNodes, 21);
  EXPECT_EQ(s->InteriorCount, 19);
  EXPECT_EQ(s->InteriorCountLess1, 18);
  EXPECT_EQ(s->Temp[0], 300.0);
  EXPECT_NEAR(s->Temp[20], 300.0, 1e-9);
  EXPECT_NEAR(s->Temp[10], 280.0, 1e-9);
  EXPECT_EQ(s->TempPrev, s->Temp);
  EXPECT_EQ(s->ViscosityOld, s->Viscosity);
  const double vbz = s->BarrelSpeedZ, vbx = s->BarrelSpeedX, H = s->ChannelDepth, qd = s->FlowRateRatio;
  EXPECT_NEAR(s->ShearZ[0], (6 * qd - 2) * vbz / H, 1e-9);
  EXPECT_NEAR(s->ShearZ[20], (4 - 6 * qd) * vbz / H, 1e-9);
  EXPECT_NEAR(s->ShearX[0], -2 * vbx / H, 1e-9);
  EXPECT_NEAR(s->ShearX[20], 4 * vbx / H, 1e-9);
  EXPECT_EQ(s->RootShearZNext, s->ShearZ[0]);
  EXPECT_EQ(s->PressGradZNext, s->PressGradZ);
  // The slopes of the shear-rate profiles are the gradients over the reference viscosity.
  EXPECT_NEAR((s->ShearZ[20] - s->ShearZ[0]) / H, s->PressGradZ / s->ViscWork, 1e-6);
}

TEST(PrepareGridAndProfiles, HalfFlowRateMeansNoPressureGradient) {
  InputTexts texts = DefaultInputTexts();
  texts[Field::FlowRateRatio] = "0.5";
  auto s = PreparedState(texts);
  EXPECT_EQ(s->PressGradZ, 0.0);
  EXPECT_NEAR(s->ShearZ[0], s->ShearZ[20], 1e-12);
}

// A velocity pass one value at a time, as the formulas read.
void PlainPass(CalcState& s) {
  s.PosY = 0;
  s.VelZ[0] = 0;
  s.VelX[0] = 0;
  for (int i = 1; i <= s.NDiv; ++i) {
    const double y = s.PosY;
    const double gz = s.PressGradZ, gx = s.PressGradX;
    const double eta = (s.Viscosity[i - 1] + s.Viscosity[i]) / 2;
    s.ViscWork = eta;
    s.ShearConstZ = s.ShearZ[i - 1] - gz * y / eta;
    s.VelConstZ = (s.VelZ[i - 1] - (gz * y) * y / (2 * eta)) - s.ShearConstZ * y;
    s.ShearConstX = s.ShearX[i - 1] - gx * y / eta;
    s.VelConstX = (s.VelX[i - 1] - (gx * y) * y / (2 * eta)) - s.ShearConstX * y;
    s.PosY = s.PosY + s.StepY;
    const double y1 = s.PosY;
    s.VelZ[i] = ((gz * y1) * y1 / (2 * eta) + s.ShearConstZ * y1) + s.VelConstZ;
    s.ShearZ[i] = gz * y1 / eta + s.ShearConstZ;
    s.VelX[i] = ((gx * y1) * y1 / (2 * eta) + s.ShearConstX * y1) + s.VelConstX;
    s.ShearX[i] = gx * y1 / eta + s.ShearConstX;
    s.NodeIndex = i;
  }
}

TEST(IntegrateAcrossDepthInLanes, EveryLaneWidthGivesThePlainPassBits) {
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> scale(-6.0, 6.0);
  for (int trial = 0; trial < 50; ++trial) {
    auto plain = PreparedState();
    plain->NDiv = 1 + trial % 100;
    plain->StepY = std::pow(10.0, scale(rng) / 3);
    plain->PressGradZ = scale(rng) * std::pow(10.0, scale(rng));
    plain->PressGradX = scale(rng) * std::pow(10.0, scale(rng));
    plain->ShearZ[0] = scale(rng) * 100;
    plain->ShearX[0] = scale(rng) * 100;
    for (int j = 0; j <= plain->NDiv; ++j) plain->Viscosity[j] = std::pow(10.0, scale(rng));
    for (const LaneWidth width : {LaneWidth::Best, LaneWidth::Two}) {
      auto lanes = std::make_unique<CalcState>(*plain);
      IntegrateAcrossDepthInLanes(*lanes, width);
      auto expected = std::make_unique<CalcState>(*plain);
      PlainPass(*expected);
      auto bits = [](const CalcState& c) {
        std::vector<std::uint64_t> all;
        for (const Profile* p : {&c.VelZ, &c.VelX, &c.ShearZ, &c.ShearX}) {
          for (const double v : *p) all.push_back(std::bit_cast<std::uint64_t>(v));
        }
        for (const double v : {c.PosY, c.ViscWork, c.ShearConstZ, c.ShearConstX, c.VelConstZ, c.VelConstX}) {
          all.push_back(std::bit_cast<std::uint64_t>(v));
        }
        all.push_back(static_cast<std::uint64_t>(c.NodeIndex));
        return all;
      };
      ASSERT_EQ(bits(*lanes), bits(*expected)) << "trial " << trial << (width == LaneWidth::Two ? ", two lanes" : "");
    }
  }
}

TEST(FitVelocityProfiles, MeetsTheBarrelFromAPerturbedStart) {
  auto s = PreparedState();
  testing::RecordingServices services;
  s->ShearZ[0] *= 3.0;   // far too fast at the barrel
  s->ShearX[0] += 50.0;
  ResetShootingMarkers(*s);
  FitVelocityProfiles(*s, services);
  EXPECT_EQ(s->VelocityDone, 1);
  EXPECT_EQ(s->VelocityFailed, 0);
  EXPECT_EQ(s->VelZ[0], 0.0);
  EXPECT_EQ(s->VelX[0], 0.0);
  EXPECT_LT(std::fabs(s->BarrelSpeedZ - s->VelZ[20]) / s->BarrelSpeedZ, 0.01);
  EXPECT_LT(std::fabs(s->BarrelSpeedX - s->VelX[20]) / s->BarrelSpeedX, 0.01);
  // Fixed steps until bracketed, then false position lands on the root within a pass or two.
  EXPECT_LE(s->VelocityPasses, std::ceil(50.0 / s->RootShearStepX) + 2);
}

TEST(FitVelocityProfiles, NewtonianSeedsReturnAfterOnePass) {
  auto s = PreparedState();
  testing::RecordingServices services;
  s->Viscosity.fill(s->ViscWork);
  ResetShootingMarkers(*s);
  FitVelocityProfiles(*s, services);
  EXPECT_EQ(s->VelocityPasses, 1);
}

TEST(UpdateViscosity, OnlyTheThreeProbeNodesDecide) {
  auto s = PreparedState();
  testing::RecordingServices services;
  s->ViscosityOld = s->Viscosity;
  s->ViscosityOld[5] *= 10;   // a quarter point, but not a probe
  s->ViscosityOld[20] *= 10;
  UpdateViscosity(*s, services);
  EXPECT_EQ(s->InnerDone, 1);
  EXPECT_EQ(s->InnerIter, 0);
  EXPECT_NE(s->ViscosityOld[5], s->Viscosity[5]);  // a settled pass keeps the old iterate

  s->ViscosityOld[9] *= 1.05;  // probe node 9
  UpdateViscosity(*s, services);
  EXPECT_EQ(s->InnerDone, 0);
  EXPECT_EQ(s->InnerIter, 1);
  EXPECT_EQ(s->ViscosityOld, s->Viscosity);
}

TEST(UpdateViscosity, FollowsEveryChangeOfTheTemperatureAndItsLaw) {
  // The temperature factor is kept between passes: a changed temperature, reference
  // temperature or coefficient must still give the law's value at every node.
  auto s = PreparedState();
  testing::RecordingServices services;
  auto expectLaw = [&](const char* what) {
    for (int j = 0; j <= s->NDiv; ++j) {
      EXPECT_EQ(s->Viscosity[j], ViscosityLaw(*s, s->ShearZ[j], s->ShearX[j], s->Temp[j])) << what << " node " << j;
    }
  };
  UpdateViscosity(*s, services);
  expectLaw("first pass");
  s->Temp[7] += 12.5;
  s->Temp[0] = 0.0;
  UpdateViscosity(*s, services);
  expectLaw("new temperatures");
  s->StdTemp += 3.0;
  UpdateViscosity(*s, services);
  expectLaw("new reference temperature");
  s->TempCoeff *= 0.5;
  UpdateViscosity(*s, services);
  expectLaw("new coefficient");
}

TEST(UpdateViscosity, GivesUpOnThe20001stUnsettledPass) {
  auto s = PreparedState();
  testing::RecordingServices services;
  s->InnerIter = 19999;
  s->ViscosityOld[4] *= 2;
  UpdateViscosity(*s, services);
  EXPECT_EQ(s->InnerIter, 20000);
  EXPECT_EQ(s->InnerDone, 0);
  s->ViscosityOld[4] *= 2;
  UpdateViscosity(*s, services);
  EXPECT_EQ(s->InnerDone, 1);
  EXPECT_EQ(s->InnerFailed, 1);
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0], "** This case does not converge. It seems <n> value is too small.");
}

TEST(DepthIntegral, IsExactForCubics) {
  Profile f{};
  for (int j = 0; j <= 20; ++j) f[j] = j;
  EXPECT_EQ(DepthIntegral(f, 20, 0.0125), 600 * (0.0125 / 3.0));
  for (int j = 0; j <= 20; ++j) f[j] = std::pow(j * 0.05, 3);
  EXPECT_NEAR(DepthIntegral(f, 20, 0.05), 0.25, 1e-15);
}

class ClosureOnTheDefaultCase : public ::testing::Test {
 protected:
  void SetUp() override {
    s = PreparedState();
    s->CrossResPos = -1.0;
    s->CrossResNeg = +1.0;
    s->FlowResPos = -1.0;
    s->FlowResNeg = +1.0;
    s->BracketAge = 0;
    s->ClosureIter = 0;
  }
  // Newtonian profiles that satisfy both conditions exactly, then scaled.
  void FlowProfiles(double throughputScale, double crossShift) {
    const double qd = s->FlowRateRatio;
    for (int j = 0; j <= 20; ++j) {
      const double xi = j / 20.0;
      s->VelZ[j] = throughputScale * s->BarrelSpeedZ * (xi + 3 * (1 - 2 * qd) * (xi * xi - xi));
      s->VelX[j] = s->BarrelSpeedX * xi * (3 * xi - 2) + crossShift;
    }
  }
  std::unique_ptr<CalcState> s;
  testing::RecordingServices services;
};

TEST_F(ClosureOnTheDefaultCase, AcceptsProfilesThatCarryTheOutputAtOnce) {
  FlowProfiles(1.01, 0.0);  // within the 1.5 % throughput tolerance
  const double gz = s->PressGradZ;
  s->ViscosityOld.fill(0.0);
  CheckFlowRates(*s, services);
  EXPECT_EQ(s->ClosureDone, 1);
  EXPECT_EQ(s->ClosureFailed, 0);
  EXPECT_EQ(s->ClosureIter, 0);
  EXPECT_EQ(s->PressGradZ, gz);
  EXPECT_EQ(s->ViscosityOld, s->Viscosity);
}

TEST_F(ClosureOnTheDefaultCase, StepsUntilBracketedThenInterpolates) {
  const double gx = s->PressGradX, gz = s->PressGradZ;
  FlowProfiles(0.9, 0.01);  // too little throughput, positive cross flow
  CheckFlowRates(*s, services);
  EXPECT_EQ(s->ClosureDone, 0);
  EXPECT_EQ(s->PressGradZ, gz - s->PressStepZ);
  EXPECT_EQ(s->PressGradX, gx + s->PressStepX);
  EXPECT_EQ(s->ClosureIter, 1);

  FlowProfiles(1.1, -0.01);  // the signs change: false position between the two points
  CheckFlowRates(*s, services);
  const double slope = (s->FlowResNeg - s->FlowResPos) / (s->FlowGradNeg - s->FlowGradPos);
  EXPECT_EQ(s->PressGradZ, -(s->FlowResNeg - slope * s->FlowGradNeg) / slope);
  EXPECT_NE(s->PressGradZ, gz - 2 * s->PressStepZ);
}

TEST_F(ClosureOnTheDefaultCase, DiscardsStaleBracketsEveryEightCalls) {
  FlowProfiles(0.9, 0.0);
  for (int call = 1; call <= 8; ++call) CheckFlowRates(*s, services);
  EXPECT_EQ(s->BracketAge, 8);
  s->FlowResPos = 5.0;  // pretend an old point on the other side
  const double gz = s->PressGradZ;
  CheckFlowRates(*s, services);  // the 9th call resets, so it steps instead of interpolating
  EXPECT_EQ(s->PressGradZ, gz - s->PressStepZ);
  EXPECT_EQ(s->BracketAge, 1);
}

TEST_F(ClosureOnTheDefaultCase, FailsOnThe1001stUnconvergedCall) {
  FlowProfiles(0.5, 0.0);
  s->ClosureIter = 999;
  CheckFlowRates(*s, services);
  EXPECT_EQ(s->ClosureDone, 0);
  CheckFlowRates(*s, services);
  EXPECT_EQ(s->ClosureDone, 1);
  EXPECT_EQ(s->ClosureFailed, 1);
  ASSERT_EQ(services.messages.size(), 1u);
  EXPECT_EQ(services.messages[0], "This case does not converge. It seems <n> value is too small.");
}

}  // namespace
}  // namespace kelvado
