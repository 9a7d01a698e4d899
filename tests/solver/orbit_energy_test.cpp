// SPDX-License-Identifier: Apache-2.0
// The consistent model's energy balance along the orbits of the cross-channel circulation,
// against values that do not come from its own formulas.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "tests/solver/run_fixture.h"

namespace kelvado {
namespace {

RunOutcome RunConsistent(const InputTexts& inputs) {
  testing::RunInDir dir;
  RunRequest request{inputs, {}};
  request.writeResultsFile = false;
  request.flowModel = FlowModel::Consistent;
  request.keptSteps = kKeepEverySteps;
  return RunWithResultsFile(request, dir.services);
}

double LowestOutletTemp(const RunOutcome& run) {
  double lowest = run.record.outlet.front().Temp;
  for (const OutletNode& node : run.record.outlet) lowest = std::min(lowest, node.Temp);
  return lowest;
}

// The largest term of a run's power balance.
double LargestTerm(const OutletSummary& s) {
  return std::max({std::fabs(s.TotalPowerKW), std::fabs(s.EnthalpyDiffKW), std::fabs(s.PressurePowerKW),
                   std::fabs(s.Cooling2KW)});
}

// From near closed discharge to beyond open discharge, Newtonian and shear-thinning: every
// run finishes, no temperature falls below the walls' and the inlet's 300 C, and the power
// balance closes: the wall heat from the temperature gradients (Cooling 2) is what the power
// balance leaves for it (Cooling 1), to 0.2 % of the balance's largest term.
TEST(OrbitEnergy, EveryFlowRateRatioFinishesBoundedAndClosesTheBalance) {
  for (const auto& [n, b] : {std::pair{"1", "0"}, {"0.786", "0.0337"}, {"0.5", "0.0337"}}) {
    for (const char* ratio : {"0.02", "0.1", "0.2", "0.3", "0.45", "0.7"}) {
      const RunOutcome run = RunConsistent(
          testing::DefaultsWith({{Field::PowerIndex, n}, {Field::TempCoeff, b}, {Field::FlowRateRatio, ratio}}));
      const std::string at = std::string("n ") + n + ", qd " + ratio;
      ASSERT_EQ(run.status, RunStatus::Finished) << at;
      EXPECT_GE(LowestOutletTemp(run), 299.0) << at;
      const OutletSummary& s = run.summary;
      EXPECT_LT(std::fabs(s.Cooling1KW - s.Cooling2KW), 0.002 * LargestTerm(s)) << at;
    }
  }
  // A melt entering 100 K below the walls heats and thins on its way: the flow field changes
  // from step to step and melt moves between orbits, the balance still closed.
  const RunOutcome cold = RunConsistent(testing::DefaultsWith({{Field::InletTemp, "200"}}));
  ASSERT_EQ(cold.status, RunStatus::Finished);
  EXPECT_LT(std::fabs(cold.summary.Cooling1KW - cold.summary.Cooling2KW), 0.002 * LargestTerm(cold.summary));
  EXPECT_GE(LowestOutletTemp(cold), 199.0);
}

// Work, heat and pressure power in one system of units. A Newtonian melt of one viscosity
// in the flat-plate flow takes from the barrel, per unit width and length, the stresses at
// the barrel times its speeds: mu/H (Vz^2 (4 - 6q) + 4 Vx^2). Its total power is that over
// W L in SI (1 gf.cm = 9.80665e-5 J), and the pressure's power is the rise times the output.
TEST(OrbitEnergy, PowersAreTheBarrelsWorkAndThePressuresInSi) {
  const double qd = 0.45, mu = 10.5, H = 0.25;
  const RunOutcome run = RunConsistent(testing::DefaultsWith({{Field::PowerIndex, "1"}, {Field::TempCoeff, "0"}}));
  ASSERT_EQ(run.status, RunStatus::Finished);
  const OperatingRecord& op = run.record.operating;
  const double vz = op.BarrelSpeedZ, vx = op.BarrelSpeedX;
  const double work = mu / H * (vz * vz * (4 - 6 * qd) + 4 * vx * vx) * op.ChannelWidth * op.ChannelLength;
  EXPECT_NEAR(run.summary.TotalPowerKW, work * 9.80665e-8, 1e-5 * run.summary.TotalPowerKW);
  const double pressure = run.summary.OutletPressure * 98066.5 * op.VolumeRate * 1e-6 / 1000;  // kW
  EXPECT_NEAR(run.summary.PressurePowerKW, pressure, 1e-5 * std::fabs(pressure));
}

// The outlet figures at the shipped grid against the same cases on grids refined until a
// doubling of the depth intervals, the steps and the orbit cells together changes the outlet
// pressure by under 0.05 % (at 160 steps a turn, 100 depth intervals and 160 orbit cells, with
// the last doubling's change added once more where the pressure still moved at first order).
TEST(OrbitEnergy, OutletFiguresAreWithinAPercentOfTheGridConvergedOnes) {
  struct Reference {
    std::initializer_list<std::pair<Field, std::string>> inputs;
    double pressure, meanTemp;  // kgf/cm2, C
  };
  const Reference references[] = {
      {{}, 46.06, 314.22},
      {{{Field::FlowRateRatio, "0.2"}, {Field::PowerIndex, "1"}}, 1487.5, 347.75},
      {{{Field::FlowRateRatio, "0.35"}, {Field::PowerIndex, "0.5"}}, 230.27, 318.18},
      {{{Field::LengthRatio, "20"}, {Field::ChannelDepth, "0.4"}}, 77.00, 308.47},
  };
  for (const Reference& r : references) {
    const RunOutcome run = RunConsistent(testing::DefaultsWith(r.inputs));
    ASSERT_EQ(run.status, RunStatus::Finished);
    EXPECT_NEAR(run.summary.OutletPressure, r.pressure, 0.01 * std::fabs(r.pressure)) << r.pressure;
    EXPECT_NEAR(run.summary.AvgTemp, r.meanTemp, 0.05) << r.pressure;
  }
}

// Near closed discharge most of the root layer flows backwards. The orbits start from the
// entering profile (the inlet's 300 C at mid-depth, the barrel's at the walls) and so inside
// its range, whichever side the barrel is on: no start below a cooler barrel (where the run
// would end as out of bounds), none above a hotter one.
TEST(OrbitEnergy, OrbitsStartInsideTheEnteringProfilesRange) {
  for (const double barrel : {295.0, 330.0, 240.0}) {
    const RunOutcome run = RunConsistent(testing::DefaultsWith({{Field::PowerIndex, "1"}, {Field::TempCoeff, "0"},
                                                                {Field::FlowRateRatio, "0.05"},
                                                                {Field::BarrelTemp, std::to_string(barrel)}}));
    ASSERT_EQ(run.status, RunStatus::Finished) << barrel << " " << run.detail;
    ASSERT_FALSE(run.record.steps.empty());
    const double start = run.record.steps.front().AvgTemp;
    EXPECT_GE(start, std::min(barrel, 300.0)) << barrel;
    EXPECT_LE(start, std::max(barrel, 300.0)) << barrel;
  }
}

// A Newtonian melt of constant viscosity in a long channel reaches the fully developed state,
// where each orbit conducts out what the orbits inside it generate: with p = |psi| and the
// layers' speeds u_l, u_u on an orbit, k (|u_l| + |u_u|) dT/dp = Q(p), the heating between
// its two depths. In the flat-plate flow psi = Vx H (xi^3 - xi^2) and the centre sits at
// xi = 2/3, so the centre's rise over the walls is an integral over the upper layer:
//   Tc - Tw = integral from 2/3 to 1 of Q(xi_u) |u_u| H / (k (|u_l| + |u_u|)) dxi_u.
TEST(OrbitEnergy, LongNewtonianChannelReachesTheFullyDevelopedCentreTemperature) {
  const double qd = 0.1, mu = 10.5, H = 0.25, k = 0.00052, wall = 300;
  const RunOutcome run = RunConsistent(testing::DefaultsWith({{Field::PowerIndex, "1"}, {Field::TempCoeff, "0"},
                                                              {Field::FlowRateRatio, "0.1"}, {Field::LengthRatio, "60"}}));
  ASSERT_EQ(run.status, RunStatus::Finished);
  const double vz = run.record.operating.BarrelSpeedZ, vx = run.record.operating.BarrelSpeedX;
  const double a = 3 * (1 - 2 * qd);
  // Antiderivative of the dissipation mu/H^2 [vz^2 (1 + a (2 xi - 1))^2 + vx^2 (6 xi - 2)^2] in
  // H dxi, and the heat of work in gf cm: cal (of 4.1868 J).
  auto heatTo = [&](double xi) {
    return 9.80665e-5 / 4.1868 * mu / H * (vz * vz * std::pow(1 + a * (2 * xi - 1), 3) / (6 * a) + vx * vx * std::pow(6 * xi - 2, 3) / 18);
  };
  auto lowerOf = [](double xiU) {  // the lower-layer depth with the same stream function
    const double p = xiU * xiU * (1 - xiU);
    double lo = 0, hi = 2.0 / 3.0;
    for (int i = 0; i < 100; ++i) {
      const double mid = 0.5 * (lo + hi);
      (mid * mid * (1 - mid) < p ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
  };
  const int points = 20000;
  double rise = 0;
  for (int i = 0; i < points; ++i) {
    const double xiU = 2.0 / 3.0 + (i + 0.5) / points / 3.0;
    const double xiL = lowerOf(xiU);
    const double uU = vx * xiU * (3 * xiU - 2), uL = vx * xiL * (2 - 3 * xiL);
    rise += (heatTo(xiU) - heatTo(xiL)) * uU * H / (k * (uL + uU)) / points / 3.0;
  }
  double hottest = 0;
  for (const OutletNode& node : run.record.outlet) hottest = std::max(hottest, node.Temp);
  EXPECT_NEAR(hottest - wall, rise, 0.03 * rise);
}

}  // namespace
}  // namespace kelvado
