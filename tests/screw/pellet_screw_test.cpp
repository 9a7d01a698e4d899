// SPDX-License-Identifier: Apache-2.0
#include "screw/pellet_screw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "plastication/solids_conveying.h"
#include "tests/screw/pellet_case.h"

namespace kelvado::testing {
namespace {

constexpr double kPi = std::numbers::pi;

PelletOutcome RunScrew(const PelletRequest& request) {
  QuietServices quiet;
  return RunPelletScrew(request, quiet);
}

// A Newtonian melt of one viscosity melts a bed in a channel of one depth as the closed
// form of the contiguous-bed model says: X/W = (1 - psi z / 2)^2, gone at z = 2 / psi.
TEST(PelletScrew, MeltingAlongAConstantDepthFollowsTheClosedForm) {
  const double output = 50, rpm = 60, depth = 1.0;
  const PelletOutcome out = RunScrew(PelletCase(output, rpm, {Zone(30, depth, depth, 180)}));
  ASSERT_EQ(out.run.status, RunStatus::Finished) << out.run.detail;
  // The film's melting rate written out in SI from the geometry and the values of PelletCase.
  const double D = 0.06, L = 0.06, e = 0.006, H = depth / 100, N = rpm / 60, G = output / 3600;
  const double phi = std::atan(L / (kPi * D));
  const double W = L * std::cos(phi) - e;
  const double vb = kPi * D * N, vbx = vb * std::sin(phi), vbz = vb * std::cos(phi);
  const double vsz = G / (915 * H * W);
  const double vj2 = vbx * vbx + (vbz - vsz) * (vbz - vsz);
  const double heat = 2300 * (110 - 25) + 130e3;
  const double Phi = std::sqrt(vbx * 770 * (0.23 * (180 - 110) + 500 * vj2 / 2) / (2 * heat));
  const double psi = Phi * std::sqrt(W) / G;
  const double turn = kPi * D / std::cos(phi);
  ASSERT_TRUE(out.plastication.meltingStartTurn);
  EXPECT_EQ(*out.plastication.meltingStartTurn, 0);
  ASSERT_TRUE(out.plastication.meltingEndTurn);
  EXPECT_NEAR(*out.plastication.meltingEndTurn, 2 / psi / turn, 0.005 * 2 / psi / turn);
  int checked = 0;
  for (const ScrewStep& s : out.profile) {
    if (s.stage != ScrewStage::Melting || s.solidBedRatio == 0) continue;
    const double f = 1 - psi * s.turn * turn / 2;
    EXPECT_NEAR(s.solidBedRatio, f * f, 0.005) << "turn " << s.turn;
    ++checked;
  }
  EXPECT_GT(checked, 200);
}

// Below the melting temperature the plug carries the pressure from the hopper through zones
// of different depths, each at its own conveying angle for the one output.
TEST(PelletScrew, SolidsCarryTheHopperPressureThroughEachZone) {
  const double output = 60, rpm = 60;
  PelletRequest request = PelletCase(output, rpm, {Zone(3, 1.0, 1.0, 50), Zone(2.5, 0.8, 0.8, 50)});
  const PelletOutcome out = RunScrew(request);
  ASSERT_EQ(out.run.status, RunStatus::Finished) << out.run.detail;
  double pressure = 0.03 * kPascalPerKgfPerCm2;
  for (const auto& [turns, depth] : {std::pair{3.0, 0.01}, std::pair{2.5, 0.008}}) {
    const plastication::Section section{0.06, depth, 0.06, 0.006, 1};
    const plastication::SolidsConveying plug(section, 550, {0.45, 0.25}, rpm / 60);
    const std::optional<double> angle = plug.AngleForOutput(output / 3600);
    ASSERT_TRUE(angle);
    const double z = turns * kPi * 0.06 / std::cos(std::atan(1 / kPi));
    pressure = plug.PressureAt(*angle, pressure, z);
  }
  EXPECT_NEAR(out.profile.back().pressure, pressure / kPascalPerKgfPerCm2, 1e-6 * pressure / kPascalPerKgfPerCm2);
  EXPECT_FALSE(out.plastication.meltingStartTurn);
  EXPECT_EQ(out.plastication.unmeltedAtEnd, 1);
  EXPECT_NE(std::find_if(out.run.warnings.begin(), out.run.warnings.end(),
                         [](const std::string& w) { return w.find("never melt") != std::string::npos; }),
            out.run.warnings.end());
}

// Heat from the barrel and viscous work raise the polymer from pellets to the melt at the
// screw's end, the heat of fusion included; no temperature falls below the coldest of the
// pellets and the walls.
TEST(PelletScrew, TheWholeScrewsEnergyBalancesAndStaysInBounds) {
  for (const double output : {30.0, 45.0}) {
    PelletRequest request =
        PelletCase(output, 60, {Zone(4, 1.0, 1.0, 150), Zone(6, 1.0, 0.5, 200), Zone(10, 0.5, 0.5, 220)});
    request.run.inputs[Field::PowerIndex] = "0.5";
    request.run.inputs[Field::TempCoeff] = "0.01";
    request.run.keptSteps = kKeepEverySteps;
    const PelletOutcome out = RunScrew(request);
    ASSERT_EQ(out.run.status, RunStatus::Finished) << output << ": " << out.run.detail;
    const double outlet = out.run.summary.AvgTemp;
    const double rise = output / 3600 * (2300 * (110 - 25) + 130e3 + 2500 * (outlet - 110)) / 1000;  // kW
    const ScrewEnergy& e = out.plastication.energy;
    EXPECT_NEAR(e.barrelHeat + e.viscousWork, rise, 0.02 * rise) << output;
    for (const ScrewStep& s : out.profile) {
      if (s.meanMeltTemp) {
        EXPECT_GE(*s.meanMeltTemp, 25 - 1) << s.turn;
      }
      EXPECT_GE(s.pressure, 0) << s.turn;
    }
    for (const OutletNode& node : out.run.record.outlet) EXPECT_GE(node.Temp, 150 - 1);
  }
}

// Where the melt would need a pressure below zero to pass, the channel runs partly filled:
// the pressure stays at zero there and the run says from which turn to which.
TEST(PelletScrew, AChannelThatWouldPullTheMeltRunsStarved) {
  // More than the channel drags at this speed.
  PelletRequest request = PelletCase(90, 60, {Zone(20, 0.6, 0.6, 200)});
  const PelletOutcome out = RunScrew(request);
  ASSERT_EQ(out.run.status, RunStatus::Finished) << out.run.detail;
  ASSERT_FALSE(out.plastication.starvedTurns.empty());
  for (const auto& [from, to] : out.plastication.starvedTurns) EXPECT_LE(from, to);
  for (const ScrewStep& s : out.profile) EXPECT_GE(s.pressure, 0) << s.turn;
  EXPECT_NE(std::find_if(out.run.warnings.begin(), out.run.warnings.end(),
                         [](const std::string& w) { return w.find("partly filled") != std::string::npos; }),
            out.run.warnings.end());
}

// Pellets need the consistent model, and pellet values a run can use.
TEST(PelletScrew, RefusesTheClassicModelAndValuesNoPelletHas) {
  PelletRequest classic = PelletCase(50, 60, {Zone(20, 1.0, 1.0, 180)});
  classic.run.flowModel = FlowModel::Classic;
  EXPECT_EQ(RunScrew(classic).run.status, RunStatus::ImproperInput);
  for (const auto& [field, value] : {std::pair{PelletField::BulkDensity, 0.0}, std::pair{PelletField::BarrelFriction, 0.0},
                                     std::pair{PelletField::MeltingTemp, -274.0}, std::pair{PelletField::HopperPressure, 0.0},
                                     std::pair{PelletField::HeatOfFusion, -1.0}}) {
    PelletRequest bad = PelletCase(50, 60, {Zone(20, 1.0, 1.0, 180)});
    bad.pellet[field] = value;
    const PelletOutcome out = RunScrew(bad);
    EXPECT_EQ(out.run.status, RunStatus::ImproperInput) << PelletFieldOf(field).name;
    EXPECT_EQ(out.run.detail.rfind(PelletFieldOf(field).caption, 0), 0u) << out.run.detail;
  }
  PelletRequest amorphous = PelletCase(50, 60, {Zone(20, 1.0, 1.0, 180)});
  amorphous.pellet[PelletField::HeatOfFusion] = 0;
  EXPECT_EQ(RunScrew(amorphous).run.status, RunStatus::Finished);
}

}  // namespace
}  // namespace kelvado::testing
