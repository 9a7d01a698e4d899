// SPDX-License-Identifier: Apache-2.0
#include "plastication/melting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <array>
#include <numbers>
#include <vector>

namespace kelvado::plastication {
namespace {

// LDPE pellets at 25 C into a 60 mm barrel at 180 C: 10 mm deep, square pitch, 6 mm flights,
// 1 rev/s, 50 kg/h; a Newtonian melt of 500 Pa s unless a test says otherwise.
constexpr double kBarrel = 0.06, kDepth = 0.01, kFlight = 0.006;
constexpr double kOutput = 50.0 / 3600, kBarrelTemp = 180, kPellets = 25, kRevs = 1;

MeltingMaterial Ldpe() {
  MeltingMaterial m;
  m.solidDensity = 915;
  m.solidSpecificHeat = 2300;
  m.meltingTemp = 110;
  m.heatOfFusion = 130e3;
  m.meltDensity = 770;
  m.meltConductivity = 0.23;
  m.stdViscosity = 500;
  m.stdShearRate = 1;
  m.stdTemp = 150;
  return m;
}

Section Screw(double depth) { return Section{kBarrel, depth, kBarrel, kFlight, 1}; }

// The channel at the barrel, written out from its geometry.
const double kHelix = std::atan(1 / std::numbers::pi);  // square pitch: tan(phi_b) = L / (pi D_b)
const double kWidth = kBarrel * std::cos(kHelix) - kFlight;
const double kTurn = std::numbers::pi * kBarrel / std::cos(kHelix);

// psi = Phi sqrt(W) / G_c of the Newtonian film, with V_sz = G_c / (rho_s H_m W).
double Psi() {
  const MeltingMaterial m = Ldpe();
  const double vb = std::numbers::pi * kRevs * kBarrel;
  const double bed = kOutput / (m.solidDensity * kDepth * kWidth);
  const double vx = vb * std::sin(kHelix), vz = vb * std::cos(kHelix);
  const double vj2 = vx * vx + (vz - bed) * (vz - bed);
  const double heat = m.meltConductivity * (kBarrelTemp - m.meltingTemp) + m.stdViscosity * vj2 / 2;
  const double phi = std::sqrt(vx * m.meltDensity * heat /
                               (2 * (m.solidSpecificHeat * (m.meltingTemp - kPellets) + m.heatOfFusion)));
  return phi * std::sqrt(kWidth) / kOutput;
}

struct Zone {
  double from, to;  // depth, m
  int turns;
};
struct BedRun {
  std::vector<double> ratio;  // X/W at the end of each whole turn before the bed ended
  BedEnd end = BedEnd::Melting;
  double length = 0;  // z where it ended, m
};

// Steps the bed along the zones, 20 steps a turn.
BedRun Melt(const std::vector<Zone>& zones, const MeltingMaterial& m = Ldpe()) {
  SolidBed bed(m, kOutput, Screw(zones.front().from), kPellets);
  BedRun run;
  for (const Zone& zone : zones) {
    const int steps = 20 * zone.turns;
    for (int i = 0; i < steps; ++i) {
      const double h0 = zone.from + (zone.to - zone.from) * i / steps;
      const double h1 = zone.from + (zone.to - zone.from) * (i + 1) / steps;
      const BedStep step = bed.Step(kTurn / 20, Screw(h0), h0, h1, kBarrelTemp, kRevs);
      run.length += step.length;
      if (step.end != BedEnd::Melting) {
        run.end = step.end;
        return run;
      }
      if ((i + 1) % 20 == 0) run.ratio.push_back(bed.Width() / kWidth);
    }
  }
  return run;
}

// Compares the profile turn by turn with the closed form f(z) = sqrt(X/W).
void ExpectProfile(const BedRun& run, auto f) {
  ASSERT_GT(run.ratio.size(), 5u);
  for (std::size_t k = 0; k < run.ratio.size(); ++k) {
    const double z = (k + 1) * kTurn;
    EXPECT_NEAR(run.ratio[k], f(z) * f(z), 0.005) << "turn " << k + 1;
  }
}

TEST(Melting, ConstantDepthFollowsClosedForm) {
  const double psi = Psi();
  const BedRun run = Melt({{kDepth, kDepth, 30}});
  ASSERT_EQ(run.end, BedEnd::Melted);
  ExpectProfile(run, [&](double z) { return 1 - psi * z / 2; });
  EXPECT_NEAR(run.length, 2 / psi, 1e-6 * 2 / psi);
}

TEST(Melting, TaperFollowsClosedFormWithTheBedSpeedOfItsStart) {
  // 10 -> 2 mm over 12 turns: A about psi H0 / 2, and the bed melts inside the taper.
  const double psi = Psi(), slope = (kDepth - 0.002) / (12 * kTurn), a = psi * kDepth / slope;
  const double zEnd = (2 - 1 / a) / psi;
  ASSERT_LT(zEnd, 12 * kTurn);
  const BedRun run = Melt({{kDepth, 0.002, 12}});
  ASSERT_EQ(run.end, BedEnd::Melted);
  ExpectProfile(run, [&](double z) { return a - (a - 1) * std::sqrt(kDepth / (kDepth - slope * z)); });
  EXPECT_NEAR(run.length, zEnd, 1e-6 * zEnd);
}

TEST(Melting, ChainedSectionsFollowClosedForms) {
  // 4 turns at 10 mm, then 10 -> 3 mm over 10 turns.
  const double psi = Psi(), z1 = 4 * kTurn, f1 = 1 - psi * z1 / 2;
  const double slope = (kDepth - 0.003) / (10 * kTurn), a = psi * kDepth / slope;
  const double zEnd = z1 + kDepth / slope * (1 - (1 - f1 / a) * (1 - f1 / a));
  ASSERT_LT(zEnd, z1 + 10 * kTurn);
  const BedRun run = Melt({{kDepth, kDepth, 4}, {kDepth, 0.003, 10}});
  ASSERT_EQ(run.end, BedEnd::Melted);
  ExpectProfile(run, [&](double z) {
    return z <= z1 ? 1 - psi * z / 2 : a - (a - f1) * std::sqrt(kDepth / (kDepth - slope * (z - z1)));
  });
  EXPECT_NEAR(run.length, zEnd, 1e-6 * zEnd);
}

TEST(Melting, TaperSteeperThanTheMeltingPlugsTheChannel) {
  const double psi = Psi();
  // From the start of melting, A = 1.2 psi H0 squeezes the bed at once.
  const double steep = 1.2 * psi * kDepth * 5 * kTurn;
  const BedRun atOnce = Melt({{kDepth, kDepth - steep, 5}});
  EXPECT_EQ(atOnce.end, BedEnd::Plugged);
  EXPECT_LT(atOnce.length, kTurn / 20);
  // A channel with no depth is not stepped at all.
  SolidBed bed(Ldpe(), kOutput, Screw(kDepth), kPellets);
  EXPECT_EQ(bed.Step(kTurn, Screw(kDepth), kDepth, 0, kBarrelTemp, kRevs).length, 0);
  EXPECT_EQ(bed.Width(), kWidth);
  // After 4 turns at 10 mm, 10 -> 2 mm over 2 turns (A about 3 psi H_m): the bed widens
  // until X = W, where a - (a - f1) sqrt(H1/H) = 1.
  const double z1 = 4 * kTurn, f1 = 1 - psi * z1 / 2;
  const double slope = (kDepth - 0.002) / (2 * kTurn), a = psi * kDepth / slope;
  ASSERT_GT(f1, a);
  const double plugDepth = kDepth * std::pow((f1 - a) / (1 - a), 2);
  const double zPlug = z1 + (kDepth - plugDepth) / slope;
  ASSERT_LT(zPlug, z1 + 2 * kTurn);
  const BedRun widening = Melt({{kDepth, kDepth, 4}, {kDepth, 0.002, 2}});
  EXPECT_EQ(widening.end, BedEnd::Plugged);
  EXPECT_NEAR(widening.length, zPlug, 1e-6 * zPlug);
}

TEST(Melting, FilmMatchesTheBalances) {
  // Reference from python3, the note's formulas for this case:
  //   q = km*(Tb-Tm) + mu*Vj**2/2; L = Cs*(Tm-Ts0) + lam
  //   sqrt(2*X*q/(Vbx*rhom*L)), sqrt(Vbx*rhom*q/(2*L)), mu*Vj**2/(km*(Tb-Tm)),
  //   Tm + 2*(Tb-Tm)/3 + mu*Vj**2/(12*km), (Tb+Tm)/2 + mu*Vj**2/(12*km)
  // with X = 0.03, Vbx = 0.06, Vj = 0.16, Tb = 180, Ts0 = 25.
  const std::optional<Film> film = SolveFilm(Ldpe(), 180, 25, 0.03, 0.06, 0.16);
  ASSERT_TRUE(film);
  EXPECT_NEAR(film->thickness, 0.0002996197242721194, 1e-12);
  EXPECT_NEAR(film->meltingRate, 0.03995965707495983, 1e-12);
  EXPECT_NEAR(film->brinkman, 0.7950310559006211, 1e-12);
  EXPECT_NEAR(film->cupTemp, 161.30434782608694, 1e-9);
  EXPECT_NEAR(film->meanTemp, 149.63768115942028, 1e-9);
  EXPECT_NEAR(film->viscosity, 500, 1e-9);
  EXPECT_NEAR(film->shearRate, 0.16 / 0.0002996197242721194, 1e-6);
}

TEST(Melting, ShearThinningFilmIsItsOwnFixedPoint) {
  // {eta0, n, b}; the last heats itself so much (about 45 K) that substituting the law's
  // viscosity back into the film oscillates instead of converging.
  for (const auto [eta0, n, b] : {std::array{2e4, 0.5, 0.02}, {2e4, 0.2, 0.02}, {1e5, 0.5, 0.05}}) {
    MeltingMaterial m = Ldpe();
    m.stdViscosity = eta0;
    m.powerIndex = n;
    m.tempCoeff = b;
    const double vj = 0.19, vbx = 0.057, x = 0.03, tb = 180;
    const std::optional<Film> film = SolveFilm(m, tb, 25, x, vbx, vj);
    ASSERT_TRUE(film) << n;
    // Rebuild the film from its viscosity alone and put it through the law.
    const double mu = film->viscosity;
    const double heat = m.meltConductivity * (tb - m.meltingTemp) + mu * vj * vj / 2;
    const double delta = std::sqrt(2 * x * heat / (vbx * m.meltDensity * (m.solidSpecificHeat * 85 + m.heatOfFusion)));
    const double mean = (tb + m.meltingTemp) / 2 + mu * vj * vj / (12 * m.meltConductivity);
    const double law = eta0 * std::pow(vj / delta, n - 1) * std::exp(-b * (mean - m.stdTemp));
    EXPECT_NEAR(mu / law, 1, 1e-10) << n;
    EXPECT_NEAR(film->thickness / delta, 1, 1e-10) << n;
    EXPECT_NEAR(film->meanTemp, mean, 1e-9) << n;
  }
  // A bed of that melt still melts, its film re-solved along the way.
  MeltingMaterial m = Ldpe();
  m.stdViscosity = 2e4;
  m.powerIndex = 0.5;
  m.tempCoeff = 0.02;
  const BedRun run = Melt({{kDepth, kDepth, 40}}, m);
  EXPECT_EQ(run.end, BedEnd::Melted);
}

TEST(Melting, NoFilmWithoutHeatAtTheInterface) {
  // Barrel 10 K below T_m: the film lives only where mu V_j^2 / 2 > k_m (T_m - T_b).
  const double threshold = std::sqrt(2 * 0.23 * 10 / 500.0);
  EXPECT_FALSE(SolveFilm(Ldpe(), 100, 25, 0.03, 0.01, 0.99 * threshold));
  EXPECT_TRUE(SolveFilm(Ldpe(), 100, 25, 0.03, 0.01, 1.01 * threshold));
}

}  // namespace
}  // namespace kelvado::plastication
