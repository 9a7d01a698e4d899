// SPDX-License-Identifier: Apache-2.0
// Each die section against the flow-rate form of its closed-form solution, worked out here
// from the textbook results rather than through the wall shear rate the code goes by.
#include "solver/die.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace kelvado {
namespace {

constexpr double pi = std::numbers::pi;

PowerLawMelt Melt(double n, double b) {
  return PowerLawMelt{10.5, 100.0, 290.0, n, b, 0.96};
}

// eta = K gdot^(n-1): the consistency at that temperature.
double Consistency(const PowerLawMelt& m, double temp) {
  return m.stdViscosity * std::pow(m.stdShearRate, 1 - m.powerIndex) * std::exp(-m.tempCoeff * (temp - m.stdTemp));
}

SectionFlow OneSection(const DieSection& section, const PowerLawMelt& melt, double q, double temp) {
  return Die({section}, melt).FlowAt(q, temp).sections.at(0);
}

TEST(DieSection, CircularAndSlitFollowThePowerLawFlowRateFormulas) {
  const PowerLawMelt melt = Melt(0.786, 0.0337);
  const double temp = 312.5, q = 18.3;
  const double n = melt.powerIndex, k = Consistency(melt, temp);

  // Tube: Q = pi R^3 n/(3n+1) (tau_w/K)^(1/n), tau_w = R dP/(2 L).
  const DieSection rod{DieShape::Circular, 0.45, 0, 0, 0, 0, 3.2};
  const double r = rod.diameter / 2;
  const double tubeStress = k * std::pow(q * (3 * n + 1) / (pi * n * r * r * r), n);
  const SectionFlow tube = OneSection(rod, melt, q, temp);
  EXPECT_NEAR(tube.pressureDrop, 2 * rod.length * tubeStress / r, 1e-12 * tube.pressureDrop);
  EXPECT_NEAR(tube.wallShearRate, std::pow(tubeStress / k, 1 / n), 1e-12 * tube.wallShearRate);
  EXPECT_NEAR(tube.apparentShearRate, 4 * q / (pi * r * r * r), 1e-12 * tube.apparentShearRate);

  // Slit of gap h: Q = W h^2 n/(2 (2n+1)) (tau_w/K)^(1/n), tau_w = h dP/(2 L).
  const DieSection sheet{DieShape::Slit, 0, 40, 0.12, 0, 0, 5};
  const double h = sheet.gap;
  const double slitStress = k * std::pow(q * 2 * (2 * n + 1) / (sheet.width * h * h * n), n);
  const SectionFlow slit = OneSection(sheet, melt, q, temp);
  EXPECT_NEAR(slit.pressureDrop, 2 * sheet.length * slitStress / h, 1e-12 * slit.pressureDrop);
  EXPECT_NEAR(slit.wallShearRate, std::pow(slitStress / k, 1 / n), 1e-12 * slit.wallShearRate);
  EXPECT_NEAR(slit.apparentShearRate, 6 * q / (sheet.width * h * h), 1e-12 * slit.apparentShearRate);

  // In series the drops add up; no flow, no drop.
  const DieFlow both = Die({rod, sheet}, melt).FlowAt(q, temp);
  EXPECT_DOUBLE_EQ(both.pressureDrop, tube.pressureDrop + slit.pressureDrop);
  EXPECT_EQ(Die({rod, sheet}, melt).FlowAt(0, temp).pressureDrop, 0);
}

TEST(DieSection, NewtonianMeltGivesHagenPoiseuilleParallelPlatesAndTheExactAnnulus) {
  const PowerLawMelt melt = Melt(1, 0.0337);
  const double temp = 300, q = 7.5;
  const double eta = 10.5 * std::exp(-0.0337 * (temp - 290));

  const DieSection rod{DieShape::Circular, 0.3, 0, 0, 0, 0, 2};
  EXPECT_NEAR(OneSection(rod, melt, q, temp).pressureDrop, 128 * eta * rod.length * q / (pi * std::pow(rod.diameter, 4)),
              1e-12 * OneSection(rod, melt, q, temp).pressureDrop);
  const DieSection sheet{DieShape::Slit, 0, 25, 0.1, 0, 0, 4};
  EXPECT_NEAR(OneSection(sheet, melt, q, temp).pressureDrop,
              12 * eta * sheet.length * q / (sheet.width * std::pow(sheet.gap, 3)),
              1e-12 * OneSection(sheet, melt, q, temp).pressureDrop);

  // Annulus: Q = pi G R^4/(8 eta) [(1 - k^4) - (1 - k^2)^2/ln(1/k)], zero stress at
  // lambda^2 = (1 - k^2)/(2 ln(1/k)), the inner wall the one with the higher stress.
  for (const double kappa : {0.1, 0.5, 0.93}) {
    const DieSection pipe{DieShape::Annulus, 0, 0, 0, 2.2, 2.2 * kappa, 3};
    const double R = pipe.outer / 2;
    const double g = 8 * eta * q / (pi * std::pow(R, 4) * ((1 - std::pow(kappa, 4)) - std::pow(1 - kappa * kappa, 2) / std::log(1 / kappa)));
    const double lambda2 = (1 - kappa * kappa) / (2 * std::log(1 / kappa));
    const SectionFlow flow = OneSection(pipe, melt, q, temp);
    EXPECT_NEAR(flow.pressureDrop, g * pipe.length, 1e-9 * flow.pressureDrop) << kappa;
    EXPECT_NEAR(flow.wallShearRate, g * R / 2 * (lambda2 / kappa - kappa) / eta, 1e-9 * flow.wallShearRate) << kappa;
  }
}

// For n = 1/2 the annulus integrals are polynomials in the radius: the exact solution with
// no quadrature, the radius of zero stress found by bisection.
TEST(DieSection, AnnulusOfAShearThinningMeltMatchesTheHalfPowerSolution) {
  const PowerLawMelt melt = Melt(0.5, 0);
  const double kappa = 0.4, q = 12, R = 1.5;
  const DieSection pipe{DieShape::Annulus, 0, 0, 0, 2 * R, 2 * R * kappa, 2.5};
  // With s = rho - l/rho (l = lambda^2): s^2 and rho^2 s^2 integrate in closed form.
  auto part = [](double l, double a, double b, bool weighted) {
    auto f = [&](double x) {
      return weighted ? std::pow(x, 5) / 5 - 2 * l * x * x * x / 3 + l * l * x : x * x * x / 3 - 2 * l * x - l * l / x;
    };
    return f(b) - f(a);
  };
  auto signed_integral = [&](double l, bool weighted) {
    const double lambda = std::sqrt(l);
    return part(l, lambda, 1, weighted) - part(l, kappa, lambda, weighted);
  };
  double lo = kappa * kappa, hi = 1;
  for (int i = 0; i < 200; ++i) (signed_integral((lo + hi) / 2, false) > 0 ? lo : hi) = (lo + hi) / 2;
  // Q = pi R^3 (G R/(2K))^2 I, so G = (2K/R) sqrt(Q/(pi R^3 I)).
  const double k = Consistency(melt, 290);
  const double g = 2 * k / R * std::sqrt(q / (pi * R * R * R * signed_integral(lo, true)));
  EXPECT_NEAR(OneSection(pipe, melt, q, 290).pressureDrop, g * pipe.length, 1e-8 * g * pipe.length);
}

TEST(DieSection, TextsReadBackAndBadOnesAreImproperInput) {
  const DieSection pipe = ParseDieSection(" annulus: inner=1.8 , length=4,outer=2 ");
  EXPECT_EQ(pipe.shape, DieShape::Annulus);
  EXPECT_EQ(pipe.outer, 2);
  EXPECT_EQ(pipe.inner, 1.8);
  EXPECT_EQ(pipe.length, 4);
  for (const char* text : {"circular:diameter=0.5,length=3", "slit:width=30,gap=0.1,length=5", "annulus:outer=2,inner=1.8,length=4"}) {
    EXPECT_EQ(DieSectionText(ParseDieSection(text)), text);
  }

  const std::pair<const char*, const char*> bad[] = {
      {"circular:diameter=0,length=3", "the diameter must be a length above zero"},
      {"slit:width=30,gap=-0.1,length=5", "the gap must be a length above zero"},
      {"annulus:outer=2,inner=2,length=4", "inner diameter must be smaller"},
      {"slit:width=0.1,gap=0.2,length=5", "gap must be smaller than the width"},
      {"cone:diameter=1,length=2", "unknown shape 'cone'"},
      {"circular:diameter=0.5,depth=3", "unknown key 'depth' of circular (diameter, length)"},
      {"circular:diameter=0.5", "the length is missing"},
      {"circular:diameter=0.5,diameter=0.6,length=1", "'diameter' is given twice"},
      {"circular:diameter=0,5,length=3", "expected KEY=VALUE, not '5'"},
      {"circular:diameter=abc,length=3", "diameter 'abc' is not a number"},
      {"circular", "expected SHAPE:KEY=VALUE"},
  };
  for (const auto& [text, why] : bad) {
    try {
      ParseDieSection(text);
      ADD_FAILURE() << text << " was accepted";
    } catch (const DieInputError& error) {
      EXPECT_NE(std::string(error.what()).find(why), std::string::npos) << error.what();
      EXPECT_NE(std::string(error.what()).find(text), std::string::npos) << error.what();
    }
  }
  // A section made in code is checked as well, and the slit formula is flagged past its range.
  EXPECT_THROW(Die({DieSection{DieShape::Circular, -1, 0, 0, 0, 0, 2}}, Melt(0.786, 0)), DieInputError);
  EXPECT_THROW(Die({}, Melt(0.786, 0)), DieInputError);
  EXPECT_EQ(DieSectionWarning(ParseDieSection("slit:width=30,gap=0.1,length=5")), "");
  EXPECT_NE(DieSectionWarning(ParseDieSection("slit:width=1,gap=0.1,length=5")).find("about 6 %"), std::string::npos);
}

}  // namespace
}  // namespace kelvado
