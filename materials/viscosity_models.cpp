// SPDX-License-Identifier: Apache-2.0
#include "materials/viscosity_models.h"

#include <cmath>
#include <string>

#include "solver/input.h"
#include "solver/units.h"

namespace kelvado {
namespace {

constexpr double kKelvinAtZeroC = -kAbsoluteZero;
constexpr double kGasConstant = 8.314462618;  // J/(mol.K)

void Require(bool holds, const char* what) {
  if (!holds) throw FitError(std::string(what));
}

bool Finite(double v) { return std::isfinite(v); }

}  // namespace

double CrossWlfViscosity(const CrossWlf& m, double tempC, double shearRate) {
  const double over = tempC + kKelvinAtZeroC - m.d2;
  if (!(m.a2 + over > 0)) {
    throw FitError("the Cross-WLF model has no viscosity at " + ShortNumberText(tempC) +
                   " \u00B0C: the temperature must be above d2 - a2");
  }
  const double zeroShear = m.d1 * std::exp(-m.a1 * over / (m.a2 + over));
  return zeroShear / (1 + std::pow(zeroShear * shearRate / m.tauStar, 1 - m.n));
}

double CarreauViscosity(const Carreau& m, double tempC, double shearRate) {
  const double shift =
      std::exp(m.activationEnergy / kGasConstant * (1 / (tempC + kKelvinAtZeroC) - 1 / (m.refTempC + kKelvinAtZeroC)));
  return m.eta0 * shift * std::pow(1 + std::pow(m.lambda * shift * shearRate, m.a), (m.n - 1) / m.a);
}

void CheckModel(const CrossWlf& m) {
  Require(Finite(m.n) && m.n > 0 && m.n <= 1, "n must be above 0 and at most 1");
  Require(Finite(m.tauStar) && m.tauStar > 0, "tau* must be above zero");
  Require(Finite(m.d1) && m.d1 > 0, "D1 must be above zero");
  Require(Finite(m.d2) && m.d2 > 0, "D2 must be above zero kelvin");
  Require(Finite(m.a1) && m.a1 >= 0, "A1 must not be below zero");
  Require(Finite(m.a2) && m.a2 > 0, "A2 must be above zero");
}

void CheckModel(const Carreau& m) {
  Require(Finite(m.eta0) && m.eta0 > 0, "eta0 must be above zero");
  Require(Finite(m.lambda) && m.lambda >= 0, "lambda must not be below zero");
  Require(Finite(m.n) && m.n > 0 && m.n <= 1, "n must be above 0 and at most 1");
  Require(Finite(m.a) && m.a > 0, "a must be above zero");
  Require(Finite(m.refTempC) && m.refTempC > -kKelvinAtZeroC, "the reference temperature must be above absolute zero");
  Require(Finite(m.activationEnergy) && m.activationEnergy >= 0, "the activation energy must not be below zero");
}

std::string Describe(const CrossWlf& m) {
  return "a Cross-WLF model (n = " + ShortNumberText(m.n) + ", tau* = " + ShortNumberText(m.tauStar) + " Pa, D1 = " +
         ShortNumberText(m.d1) + " Pa.s, D2 = " + ShortNumberText(m.d2) + " K, A1 = " + ShortNumberText(m.a1) + ", A2 = " +
         ShortNumberText(m.a2) + " K) sampled";
}

std::string Describe(const Carreau& m) {
  return "a Carreau model (eta0 = " + ShortNumberText(m.eta0) + " Pa.s, lambda = " + ShortNumberText(m.lambda) + " s, n = " +
         ShortNumberText(m.n) + ", a = " + ShortNumberText(m.a) + ", Tref = " + ShortNumberText(m.refTempC) + " C, E = " +
         ShortNumberText(m.activationEnergy) + " J/mol) sampled";
}

void CheckSampleWindows(const ValueRange& shearRates, const ValueRange& temps, std::string_view shearRateName,
                        std::string_view tempName) {
  const auto check = [](const ValueRange& window, std::string_view name, double above, const std::string& aboveText,
                        const char* quantity) {
    const std::string shown = std::string(name) + " " + ShortNumberText(window.from) + ":" + ShortNumberText(window.to);
    if (!(window.from > above)) throw FitError(shown + ": every " + quantity + " must be above " + aboveText);
    if (!(window.from < window.to)) {
      throw FitError(shown + ": FROM must be below TO; the fit needs more than one " + quantity);
    }
  };
  check(shearRates, shearRateName, 0, "zero", "shear rate");
  check(temps, tempName, kAbsoluteZero, "absolute zero, " + ShortNumberText(kAbsoluteZero), "temperature");
}

std::vector<ViscosityPoint> SampleModel(const std::function<double(double, double)>& pascalSeconds,
                                        const ValueRange& shearRates, const ValueRange& temps) {
  CheckSampleWindows(shearRates, temps, "the shear-rate window", "the temperature window");
  std::vector<ViscosityPoint> points;
  const double logFrom = std::log(shearRates.from);
  const double logStep = (std::log(shearRates.to) - logFrom) / (kSampledShearRates - 1);
  for (int t = 0; t < kSampledTemps; ++t) {
    const double temp = t == kSampledTemps - 1 ? temps.to : temps.from + t * (temps.to - temps.from) / (kSampledTemps - 1);
    for (int g = 0; g < kSampledShearRates; ++g) {
      const double rate = g == 0                        ? shearRates.from
                         : g == kSampledShearRates - 1 ? shearRates.to
                                                       : std::exp(logFrom + g * logStep);
      const double eta = pascalSeconds(temp, rate) / kPascalSecondPerGfSecondPerCm2;
      if (!std::isfinite(eta) || !(eta > 0)) {
        throw FitError("the model gives no finite viscosity at " + ShortNumberText(temp) + " \u00B0C and " +
                       ShortNumberText(rate) + " 1/s");
      }
      points.push_back({temp, rate, eta});
    }
  }
  return points;
}

}  // namespace kelvado
