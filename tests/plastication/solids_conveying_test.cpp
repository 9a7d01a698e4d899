// SPDX-License-Identifier: Apache-2.0
#include "plastication/solids_conveying.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace kelvado::plastication {
namespace {

constexpr double kPi = std::numbers::pi;

// The 60 mm LDPE screw: H 10 mm, square pitch, one flight 6 mm wide (0.1 D).
constexpr Section kLdpe{0.06, 0.01, 0.06, 0.006, 1};
constexpr SolidsFriction kLdpeFriction{0.45, 0.25};
constexpr double kRev = 1.0;       // 1/s
constexpr double kBulk = 550.0;    // kg/m3
constexpr double kInlet = 5000.0;  // P1, Pa

// One turn is one lead: z = turns pi D_b / cos(phi_b).
double Turns(const Section& s, double turns) {
  return turns * kPi * s.barrelDiameter / std::cos(std::atan(s.lead / (kPi * s.barrelDiameter)));
}

void ExpectRel(double actual, double expected, double rel = 1e-6) {
  EXPECT_NEAR(actual, expected, rel * std::abs(expected));
}

// Reference numbers for the LDPE screw at N = 1/s, rho_bulk = 550, P1 = 5 kPa come from a separate
// python3 evaluation of the closed forms (K, M0, M1, A; theta = arccos(M0 / sqrt(1 + K^2)) - arctan K;
// the inverse tan(theta) = V_pa tan(phi_b) / (V_b tan(phi_b) - V_pa); P(z); the powers with the
// log-mean pressure), written independently of this code.
TEST(SolidsConveying, LdpeScrewMatchesTheClosedForms) {
  const SolidsConveying plug(kLdpe, kBulk, kLdpeFriction, kRev);
  ExpectRel(plug.K(), 0.5822433653211131);
  ExpectRel(plug.M0(), 0.4956871455058482);
  ExpectRel(plug.M1(), 0.021435306016124273);
  ExpectRel(plug.FreeArea(), 0.0014026475504011226);
  const auto g0 = plug.NoPressureChange();
  ASSERT_TRUE(g0);
  ExpectRel(g0->angle, 0.6008505220389785);
  ExpectRel(g0->output, 0.031607897644676);

  // The pressure rise per turn at 0.99, 0.9 and 0.6 G0: to 1e-6 against python, and to the
  // note's rounding (0.14, 1.2, 3.3; half a unit of its last digit) as a check on the reading.
  const double z = Turns(kLdpe, 1);
  const double fractions[] = {0.99, 0.9, 0.6};
  const double exact[] = {0.1397816189050582, 1.2228153351712001, 3.277506671498066};
  const double rounded[] = {0.14, 1.2, 3.3};
  const double halfDigit[] = {0.005, 0.05, 0.05};
  for (int i = 0; i < 3; ++i) {
    const auto angle = plug.AngleForOutput(fractions[i] * g0->output);
    ASSERT_TRUE(angle);
    const double rise = std::log(plug.PressureAt(*angle, kInlet, z) / kInlet);
    ExpectRel(rise, exact[i]);
    EXPECT_NEAR(rise, rounded[i], halfDigit[i]);
  }
}

TEST(SolidsConveying, OutletPressureAndPowerOverFiveTurns) {
  const SolidsConveying plug(kLdpe, kBulk, kLdpeFriction, kRev);
  // 0.95 G0 at full precision (python): rounding G by 0.1 % moves P2 by about 5 %.
  const auto angle = plug.AngleForOutput(0.0300275027624422);
  ASSERT_TRUE(angle);
  ExpectRel(*angle, 0.5314235356456998);
  const double z = Turns(kLdpe, 5);
  const double p2 = plug.PressureAt(*angle, kInlet, z);
  ExpectRel(p2, 134461.24739045266);

  const double drive = plug.DrivePower(*angle, kInlet, p2, z);
  const double heat = plug.FrictionHeat(*angle, kInlet, p2, z);
  ExpectRel(drive, 145.55880531963774);
  ExpectRel(heat, 68.8004402375798);
  EXPECT_GT(heat / drive, 0.47);
  EXPECT_LT(heat / drive, 0.85);
}

// f_s = 0 at P2 = P1: the plug moves down the channel at V_b cos(phi_b). Two flights, so that
// the flank term of A and the per-channel power count p.
TEST(SolidsConveying, WithoutScrewFrictionThePlugCarriesTheMost) {
  const Section s{0.06, 0.009, 0.06, 0.005, 2};
  const double rev = 1.5, bulk = 520, fb = 0.4;
  const SolidsConveying plug(s, bulk, {fb, 0.0}, rev);
  const double phiB = std::atan(s.lead / (kPi * s.barrelDiameter));
  const double phiMean = std::atan(s.lead / (kPi * (s.barrelDiameter - s.depth)));
  const double area = kPi * s.depth * (s.barrelDiameter - s.depth) - 2 * s.flightWidth * s.depth / std::sin(phiMean);
  const double g0 = bulk * kPi * rev * s.barrelDiameter * std::sin(phiB) * std::cos(phiB) * area;

  const auto most = plug.NoPressureChange();
  ASSERT_TRUE(most);
  ExpectRel(most->angle, kPi / 2 - phiB);
  ExpectRel(most->output, g0);
  ExpectRel(plug.FreeArea(), area);

  // With P2 = P1 the mean pressure is P1: drive = p pi N D_b cos(theta) f_b W_b z P1.
  const double z = Turns(s, 3);
  const double wb = s.lead / 2 * std::cos(phiB) - s.flightWidth;
  ExpectRel(plug.DrivePower(most->angle, kInlet, kInlet, z),
            2 * kPi * rev * s.barrelDiameter * std::cos(most->angle) * fb * wb * z * kInlet);

  // Screw friction or a pressure rise only take from it; the non-rotating plug's rho N L A is
  // never reached.
  for (double fs : {0.1, 0.25}) EXPECT_LT(SolidsConveying(s, bulk, {fb, fs}, rev).NoPressureChange()->output, g0);
  EXPECT_LT(plug.AtPressureRatio(5, z)->output, g0);
  EXPECT_LT(g0, bulk * rev * s.lead * area);
}

// A channel 1e-7 D deep without flight width is a flat plate, but screw friction still acts in K
// through the one f_s of the flanks: with alpha = arctan f_s, K -> tan(phi_b + alpha) and
// M0 -> (f_s / f_b) cos(alpha) / cos(phi_b + alpha), so cos(theta + phi_b + alpha) = (f_s / f_b)
// cos(alpha). Without flight friction in K (alpha = 0) that is the plate's cos(theta + phi_b) =
// f_s / f_b. The depth leaves an error of order 1e-7, well inside 1e-6 rad.
TEST(SolidsConveying, ShallowChannelTendsToTheFlatPlate) {
  const Section plate{0.06, 0.06e-7, 0.06, 0.0, 1};
  const double fb = 0.45;
  const double phiB = std::atan(plate.lead / (kPi * plate.barrelDiameter));
  for (double fs : {0.1, 0.25}) {
    const double alpha = std::atan(fs);
    const auto moving = SolidsConveying(plate, kBulk, {fb, fs}, kRev).NoPressureChange();
    ASSERT_TRUE(moving);
    EXPECT_NEAR(moving->angle, std::acos(fs / fb * std::cos(alpha)) - phiB - alpha, 1e-6);
  }
  // It stops where theta reaches 0: f_s = f_b cos(phi_b) / (1 + f_b sin(phi_b)), below f_b.
  const double stall = fb * std::cos(phiB) / (1 + fb * std::sin(phiB));
  EXPECT_TRUE(SolidsConveying(plate, kBulk, {fb, 0.99 * stall}, kRev).NoPressureChange());
  EXPECT_FALSE(SolidsConveying(plate, kBulk, {fb, 1.01 * stall}, kRev).NoPressureChange());
  EXPECT_FALSE(SolidsConveying(plate, kBulk, {fb, fb}, kRev).NoPressureChange());
}

TEST(SolidsConveying, PressureRatioRoundTrips) {
  const SolidsConveying plug(kLdpe, kBulk, kLdpeFriction, kRev);
  const double z = Turns(kLdpe, 4);
  const auto g0 = plug.NoPressureChange();
  ASSERT_TRUE(g0);
  const auto flat = plug.AngleForOutput(g0->output);
  ASSERT_TRUE(flat);
  ExpectRel(plug.PressureAt(*flat, kInlet, z), kInlet, 1e-9);

  for (double ratio : {20.0, 0.3}) {
    const auto conveyed = plug.AtPressureRatio(ratio, z);
    ASSERT_TRUE(conveyed);
    const auto angle = plug.AngleForOutput(conveyed->output);
    ASSERT_TRUE(angle);
    ExpectRel(*angle, conveyed->angle, 1e-9);
    ExpectRel(plug.PressureAt(conveyed->angle, kInlet, z), ratio * kInlet, 1e-9);
  }
}

TEST(SolidsConveying, AtAFixedRatioOutputScalesWithSpeedAndBulkDensity) {
  const double z = Turns(kLdpe, 5);
  const auto slow = SolidsConveying(kLdpe, 500, kLdpeFriction, 0.5).AtPressureRatio(10, z);
  const auto fast = SolidsConveying(kLdpe, 700, kLdpeFriction, 2.0).AtPressureRatio(10, z);
  ASSERT_TRUE(slow && fast);
  ExpectRel(fast->angle, slow->angle, 1e-12);
  ExpectRel(fast->output / slow->output, (2.0 * 700) / (0.5 * 500), 1e-12);
}

TEST(SolidsConveying, NothingWhereThePlugCanNotMove) {
  const SolidsConveying plug(kLdpe, kBulk, kLdpeFriction, kRev);
  const double z = Turns(kLdpe, 5);
  // M reaches 1 at ln(P2/P1) = (1 - M0) z / M1 = 23.27011201948445 over five turns (python).
  EXPECT_TRUE(plug.AtPressureRatio(std::exp(0.999 * 23.27011201948445), z));
  EXPECT_FALSE(plug.AtPressureRatio(std::exp(1.001 * 23.27011201948445), z));
  // A falling pressure needs 90 degrees, the plug as fast as the flights, at M = -K:
  // ln(P2/P1) = (-K - M0) z / M1 = -49.738101086722075 (python); faster than any angle balances
  // further on.
  EXPECT_TRUE(plug.AtPressureRatio(std::exp(0.999 * -49.738101086722075), z));
  EXPECT_FALSE(plug.AtPressureRatio(std::exp(1.001 * -49.738101086722075), z));
  EXPECT_FALSE(plug.AtPressureRatio(1e-300, 1e-3));
  EXPECT_FALSE(plug.AtPressureRatio(0.0, z));
  // Outputs from nothing up to the flights' own axial speed N L.
  const double ceiling = kBulk * kRev * kLdpe.lead * plug.FreeArea();
  EXPECT_FALSE(plug.AngleForOutput(0.0));
  EXPECT_FALSE(plug.AngleForOutput(ceiling));
  EXPECT_TRUE(plug.AngleForOutput(0.999999 * ceiling));

  // More friction on the screw than on the barrel.
  EXPECT_FALSE(SolidsConveying(kLdpe, kBulk, {0.3, 0.45}, kRev).NoPressureChange());
  // Flights that lock the plug (cos(phi_mean) < f_s sin(phi_mean)) even where the balance
  // alone would give an angle (M about 0.52 here).
  const SolidsConveying locked({0.06, 0.013, 1.3, 0.0, 1}, kBulk, {90, 4}, kRev);
  EXPECT_FALSE(locked.AtPressureRatio(1e-10, 1e-3));
}

}  // namespace
}  // namespace kelvado::plastication
