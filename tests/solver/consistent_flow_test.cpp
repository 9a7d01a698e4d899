// SPDX-License-Identifier: Apache-2.0
// The momentum-consistent flow field of one step, against references computed by other
// means: a fine midpoint/trapezoid discretisation with its own finite-difference Newton
// solver (tests/support/fine_flow_reference.h), the Newtonian flat-plate solution and the
// closed form of 1-D power-law Couette-Poiseuille flow.
#include "solver/consistent_flow.h"

#include <gtest/gtest.h>

#include <array>
#include <cfenv>
#include <cmath>
#include <memory>
#include <ostream>
#include <vector>

#include "solver/calc_state.h"
#include "solver/grid.h"
#include "solver/input.h"
#include "solver/input_fields.h"
#include "solver/operating.h"
#include "tests/support/fine_flow_reference.h"
#include "tests/support/recording_services.h"

namespace kelvado {
namespace {

struct Case {
  double n;
  double qd;
  double inletTemp;  // the initial parabola peaks at this temperature mid-depth
  double tempCoeff;
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << "n=" << c.n << " qd=" << c.qd << " inlet=" << c.inletTemp << " b=" << c.tempCoeff;
}

// The default case with these values, set up as the run sets up its first step.
std::unique_ptr<CalcState> FirstStepState(const Case& c) {
  auto s = std::make_unique<CalcState>();
  testing::RecordingServices services;
  ReadInputData(*s, DefaultInputTexts(), '.', services);
  s->PowerIndex = c.n;
  s->FlowRateRatio = c.qd;
  s->InletTemp = c.inletTemp;
  s->TempCoeff = c.tempCoeff;
  ComputeOperatingConditions(*s);
  PrepareGridAndProfiles(*s);
  return s;
}

bool FaultFlagsRaised() { return std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID) != 0; }

constexpr int kReferenceCells = testing::kFineReferenceCells;

class AgainstFineReference : public ::testing::TestWithParam<Case> {};

TEST_P(AgainstFineReference, GradientsAndVelocitiesMatchOnTheCoarseGrid) {
  const Case c = GetParam();
  auto s = FirstStepState(c);
  const testing::FineFlowReference reference(*s, kReferenceCells);
  const testing::FineFlowReference::Solution solution = reference.Solve();
  EXPECT_LE(solution.residual, 1e-11) << "the reference did not converge";
  const std::array<double, 4>& ref = solution.p;

  ASSERT_TRUE(SolveConsistentFlowField(*s));
  // 0.5 % for 0.5 <= n <= 1; 2 % (at least 0.2 % of |Gx|) below.
  const double rel = c.n >= 0.5 ? 0.005 : 0.02;
  EXPECT_NEAR(s->PressGradZ, ref[2], std::fmax(rel * std::fabs(ref[2]), c.n >= 0.5 ? 0.0 : 0.002 * std::fabs(ref[3])));
  EXPECT_NEAR(s->PressGradX, ref[3], rel * std::fabs(ref[3]));

  std::vector<double> vz, vx;
  reference.Velocities(ref, vz, vx);
  const double stressScale = std::fabs(ref[0]) + std::fabs(ref[1]) + (std::fabs(ref[2]) + std::fabs(ref[3])) * s->ChannelDepth;
  for (int j = 0; j <= s->NDiv; ++j) {
    const int k = j * (kReferenceCells / s->NDiv);
    const double y = j * s->StepY;
    EXPECT_NEAR(s->VelZ[j], vz[k], 1e-4 * s->BarrelSpeed) << "node " << j;
    EXPECT_NEAR(s->VelX[j], vx[k], 1e-4 * s->BarrelSpeed) << "node " << j;
    EXPECT_NEAR(s->Viscosity[j] * s->ShearZ[j], ref[0] + ref[2] * y, 1e-3 * stressScale) << "node " << j;
    EXPECT_NEAR(s->Viscosity[j] * s->ShearX[j], ref[1] + ref[3] * y, 1e-3 * stressScale) << "node " << j;
  }
}

INSTANTIATE_TEST_SUITE_P(
    IsothermalAndParabolic, AgainstFineReference,
    ::testing::Values(Case{1.0, 0.45, 300, 0.0337}, Case{0.786, 0.2, 300, 0.0337}, Case{0.786, 0.45, 300, 0.0},
                      Case{0.786, 0.8, 270, 0.0337}, Case{0.6, 0.2, 270, 0.0337}, Case{0.6, 0.45, 300, 0.0337},
                      Case{0.5, 0.8, 300, 0.0}, Case{0.5, 0.45, 270, 0.05}, Case{0.4, 0.2, 300, 0.0337},
                      Case{0.4, 0.45, 270, 0.0337}, Case{0.3, 0.8, 270, 0.0337}, Case{0.3, 0.45, 300, 0.0}));

TEST(ConsistentFlowField, NewtonianMeltGivesTheFlatPlateSolution) {
  auto s = FirstStepState({1.0, 0.3, 280, 0.0});
  ASSERT_TRUE(SolveConsistentFlowField(*s));
  const double eta = s->StdViscosity, H = s->ChannelDepth, qd = s->FlowRateRatio;
  const double gz = 6 * eta * s->BarrelSpeedZ * (1 - 2 * qd) / (H * H);
  const double gx = 6 * eta * s->BarrelSpeedX / (H * H);
  EXPECT_NEAR(s->PressGradZ, gz, std::fabs(gz) * 1e-12);
  EXPECT_NEAR(s->PressGradX, gx, std::fabs(gx) * 1e-12);
  for (int j = 0; j <= s->NDiv; ++j) {
    const double xi = j / 20.0;
    EXPECT_NEAR(s->VelZ[j], s->BarrelSpeedZ * (xi + 3 * (1 - 2 * qd) * (xi * xi - xi)), 1e-12 * s->BarrelSpeedZ);
    EXPECT_NEAR(s->VelX[j], s->BarrelSpeedX * xi * (3 * xi - 2), 1e-12 * s->BarrelSpeedX);
    EXPECT_NEAR(s->Viscosity[j], eta, eta * 1e-13);
  }
}

// Plane power-law flow: tau = tau0 + G y, v(H) = Vb and the throughput fix tau0 and G. With
// F(t) = |t|^(1+1/n) / (1+1/n) and P(t) = sign(t) |t|^(2+1/n) / ((1+1/n)(2+1/n)):
//   v(H) = (F(tau0 + G H) - F(tau0)) / (G m^(1/n)),
//   Q/W  = ((P(tau0 + G H) - P(tau0)) / G - H F(tau0)) / (G m^(1/n)).
// Solved by nested bisection: tau0 for the barrel speed inside G for the throughput.
double CouettePoiseuilleGradient(double n, double m, double H, double vb, double q) {
  const double a = 1 + 1 / n;
  auto F = [&](double t) { return std::pow(std::fabs(t), a) / a; };
  auto P = [&](double t) { return std::copysign(std::pow(std::fabs(t), a + 1), t) / (a * (a + 1)); };
  const double scale = std::pow(m, 1 / n);
  auto rootStress = [&](double G) {
    double lo = -1e7, hi = 1e7;  // v(H) grows with tau0
    for (int i = 0; i < 200; ++i) {
      const double mid = 0.5 * (lo + hi);
      ((F(mid + G * H) - F(mid)) / (G * scale) < vb ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
  };
  double lo = -1e7, hi = 1.3e7;  // the throughput falls as G grows; no midpoint at 0
  for (int i = 0; i < 200; ++i) {
    const double G = 0.5 * (lo + hi);
    const double t0 = rootStress(G);
    const double flow = ((P(t0 + G * H) - P(t0)) / G - H * F(t0)) / (G * scale);
    (flow > q ? lo : hi) = G;
  }
  return 0.5 * (lo + hi);
}

TEST(ConsistentFlowField, WithoutCrossFlowIsPowerLawCouettePoiseuilleFlow) {
  for (const double n : {0.3, 0.6, 1.0, 1.5}) {
    for (const double qd : {0.2, 0.4, 0.7}) {
      auto s = FirstStepState({n, qd, 300, 0.02});
      s->BarrelSpeedX = 0;
      ASSERT_TRUE(SolveConsistentFlowField(*s)) << "n=" << n << " qd=" << qd;
      const double m = s->StdViscosity * std::pow(s->StdShearRate, 1 - n) * std::exp(-0.02 * (300 - s->StdTemp));
      const double gz = CouettePoiseuilleGradient(n, m, s->ChannelDepth, s->BarrelSpeedZ, s->VolumeRate / s->ChannelWidth);
      // Where the stress changes sign the shear rate has a cusp, |tau|^(1/n): mild below n = 1,
      // up to about 4e-4 at n = 1.5.
      EXPECT_NEAR(s->PressGradZ, gz, (n > 1 ? 1e-3 : 1e-5) * std::fabs(gz)) << "n=" << n << " qd=" << qd;
      EXPECT_NEAR(s->PressGradX, 0.0, 1e-9 * std::fabs(gz));
      for (int j = 0; j <= s->NDiv; ++j) EXPECT_NEAR(s->VelX[j], 0.0, 1e-9 * s->BarrelSpeedZ);
    }
  }
}

TEST(ConsistentFlowField, ConvergesOverTheWholeRangeWithoutFaults) {
  for (const double n : {0.1, 0.2, 0.4, 0.786, 1.0, 1.5}) {
    for (const double qd : {-1.0, -0.3, 0.1, 0.45, 1.0, 2.0}) {
      for (const double inlet : {240.0, 300.0, 360.0}) {  // heating, neutral, cooling
        for (const double b : {0.0, 0.05}) {
          auto s = FirstStepState({n, qd, inlet, b});
          std::feclearexcept(FE_ALL_EXCEPT);
          const bool solved = SolveConsistentFlowField(*s);
          const Case c{n, qd, inlet, b};
          ASSERT_TRUE(solved) << ::testing::PrintToString(c);
          EXPECT_FALSE(FaultFlagsRaised()) << ::testing::PrintToString(c);
          EXPECT_LE(s->ClosureIter, 60) << ::testing::PrintToString(c);
          EXPECT_NEAR(s->VelZ[s->NDiv], s->BarrelSpeedZ, 1e-9 * std::fabs(s->BarrelSpeed));
          EXPECT_NEAR(s->VelX[s->NDiv], s->BarrelSpeedX, 1e-9 * std::fabs(s->BarrelSpeed));
          // The momentum balance: node stresses linear in depth, the gradient as slope.
          const double tz0 = s->Viscosity[0] * s->ShearZ[0], tx0 = s->Viscosity[0] * s->ShearX[0];
          const double scale = std::fabs(tz0) + std::fabs(tx0) +
                               (std::fabs(s->PressGradZ) + std::fabs(s->PressGradX)) * s->ChannelDepth;
          for (int j = 0; j <= s->NDiv; ++j) {
            const double y = j * s->StepY;
            const double heating = s->Viscosity[j] * (s->ShearZ[j] * s->ShearZ[j] + s->ShearX[j] * s->ShearX[j]);
            ASSERT_TRUE(std::isfinite(heating) && s->Viscosity[j] > 0 && std::isfinite(s->VelX[j]))
                << ::testing::PrintToString(c) << " node " << j;
            EXPECT_NEAR(s->Viscosity[j] * s->ShearZ[j], tz0 + s->PressGradZ * y, 1e-12 * scale);
            EXPECT_NEAR(s->Viscosity[j] * s->ShearX[j], tx0 + s->PressGradX * y, 1e-12 * scale);
          }
        }
      }
    }
  }
}

TEST(ConsistentFlowField, GivesUpWithoutFaultsAndLeavesTheStepAlone) {
  auto s = FirstStepState({0.786, 0.45, 300, 0.0337});
  s->Temp[7] = std::nan("");
  const auto before = std::make_unique<CalcState>(*s);
  std::feclearexcept(FE_ALL_EXCEPT);
  EXPECT_FALSE(SolveConsistentFlowField(*s));
  EXPECT_FALSE(FaultFlagsRaised());
  EXPECT_EQ(s->PressGradZ, before->PressGradZ);
  EXPECT_EQ(s->PressGradX, before->PressGradX);
  EXPECT_EQ(s->VelZ, before->VelZ);
  EXPECT_EQ(s->Viscosity, before->Viscosity);
}

}  // namespace
}  // namespace kelvado
