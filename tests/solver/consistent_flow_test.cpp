// The momentum-consistent flow field of one step, against references computed here by
// other means: a fine midpoint/trapezoid discretisation with its own finite-difference
// Newton solver, the Newtonian flat-plate solution and the closed form of 1-D power-law
// Couette-Poiseuille flow.
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
#include "solver/lin_eq.h"
#include "solver/operating.h"
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

// The same equations on `cells` equal cells: shear rate at cell midpoints (pow, temperature
// interpolated linearly between the grid nodes), velocity summed cell by cell, throughput by
// the trapezoid rule over the velocity; Newton with a central-difference Jacobian and step
// halving on the residual norm.
class FineReference {
 public:
  FineReference(const CalcState& s, int cells) : s_(s), cells_(cells), h_(s.ChannelDepth / cells) {
    const double n = s.PowerIndex;
    for (int k = 0; k < cells; ++k) {
      const double y = (k + 0.5) * h_;
      const double pos = y / s.StepY;
      const int i = static_cast<int>(pos);
      const double t = s.Temp[i] + (s.Temp[i + 1] - s.Temp[i]) * (pos - i);
      const double m = s.StdViscosity * std::pow(s.StdShearRate, 1 - n) * std::exp(-s.TempCoeff * (t - s.StdTemp));
      consistency_.push_back(m);
    }
  }

  // Velocities at the cell edges for root stresses and gradients p = (tz0, tx0, Gz, Gx).
  void Velocities(const std::array<double, 4>& p, std::vector<double>& vz, std::vector<double>& vx) const {
    vz.assign(cells_ + 1, 0.0);
    vx.assign(cells_ + 1, 0.0);
    for (int k = 0; k < cells_; ++k) {
      const double y = (k + 0.5) * h_;
      const double tz = p[0] + p[2] * y, tx = p[1] + p[3] * y;
      const double tau = std::hypot(tz, tx);
      const double rate = tau > 0 ? std::pow(tau / consistency_[k], 1 / s_.PowerIndex) / tau : 0.0;
      vz[k + 1] = vz[k] + h_ * rate * tz;
      vx[k + 1] = vx[k] + h_ * rate * tx;
    }
  }

  std::array<double, 4> Residuals(const std::array<double, 4>& p) const {
    std::vector<double> vz, vx;
    Velocities(p, vz, vx);
    double qz = 0, qx = 0;
    for (int k = 0; k < cells_; ++k) {
      qz += 0.5 * h_ * (vz[k] + vz[k + 1]);
      qx += 0.5 * h_ * (vx[k] + vx[k + 1]);
    }
    const double vb = std::hypot(s_.BarrelSpeedZ, s_.BarrelSpeedX);
    const double H = s_.ChannelDepth;
    return {(vz[cells_] - s_.BarrelSpeedZ) / vb, (vx[cells_] - s_.BarrelSpeedX) / vb,
            (s_.ChannelWidth * qz - s_.VolumeRate) / (s_.ChannelWidth * H * vb), qx / (H * vb)};
  }

  // Solves from the state's own start: its gradients and node-0 stresses.
  std::array<double, 4> Solve() const {
    std::array<double, 4> p{s_.Viscosity[0] * s_.ShearZ[0], s_.Viscosity[0] * s_.ShearX[0], s_.PressGradZ,
                            s_.PressGradX};
    std::array<double, 4> r = Residuals(p);
    auto jac = std::make_unique<LinMatrix>();  // 1-based, solved by the plain Gauss-Jordan solver
    LinVector rhs{}, dp{};
    for (int iter = 0; iter < 200 && Norm(r) > 1e-13; ++iter) {
      for (int c = 0; c < 4; ++c) {
        const double scale = c < 2 ? std::fabs(p[0]) + std::fabs(p[1]) : std::fabs(p[2]) + std::fabs(p[3]);
        const double d = 1e-6 * scale;
        auto plus = p, minus = p;
        plus[c] += d;
        minus[c] -= d;
        const auto rp = Residuals(plus), rm = Residuals(minus);
        for (int row = 0; row < 4; ++row) (*jac)[row + 1][c + 1] = (rp[row] - rm[row]) / (2 * d);
      }
      for (int row = 0; row < 4; ++row) rhs[row + 1] = -r[row];
      GaussSolve(*jac, rhs, dp, 4);
      for (double step = 1; step > 1e-12; step /= 2) {
        std::array<double, 4> trial;
        for (int c = 0; c < 4; ++c) trial[c] = p[c] + step * dp[c + 1];
        const auto rt = Residuals(trial);
        if (Norm(rt) < Norm(r)) {
          p = trial;
          r = rt;
          break;
        }
      }
    }
    EXPECT_LE(Norm(r), 1e-11) << "the reference did not converge";
    return p;
  }

 private:
  static double Norm(const std::array<double, 4>& r) { return std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2] + r[3] * r[3]); }

  const CalcState& s_;
  int cells_;
  double h_;
  std::vector<double> consistency_;
};

constexpr int kReferenceCells = 4000;

class AgainstFineReference : public ::testing::TestWithParam<Case> {};

TEST_P(AgainstFineReference, GradientsAndVelocitiesMatchOnTheCoarseGrid) {
  const Case c = GetParam();
  auto s = FirstStepState(c);
  const FineReference reference(*s, kReferenceCells);
  const std::array<double, 4> ref = reference.Solve();

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
