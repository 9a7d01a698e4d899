// SPDX-License-Identifier: Apache-2.0
#pragma once
// The viscosity models of suppliers' data sheets, in SI as the sheets give them, sampled so
// that the program's power law can be fitted to them as to measured data.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "materials/viscosity_fit.h"

namespace kelvado {

// eta = eta0(T) / (1 + (eta0(T) gamma / tauStar)^(1 - n)),
// eta0(T) = d1 exp(-a1 (T - d2) / (a2 + T - d2)), T and d2, a2 in kelvin.
struct CrossWlf {
  double n = 0;
  double tauStar = 0;  // Pa
  double d1 = 0;       // Pa.s
  double d2 = 0;       // K
  double a1 = 0;
  double a2 = 0;       // K
};

// eta = eta0 aT (1 + (lambda aT gamma)^a)^((n - 1) / a), aT = exp(E/R (1/T - 1/Tref)), T in kelvin.
struct Carreau {
  double eta0 = 0;              // Pa.s at the reference temperature
  double lambda = 0;            // s
  double n = 0;
  double a = 2;
  double refTempC = 0;          // C
  double activationEnergy = 0;  // J/mol
};

// Pa.s at a temperature (C) and shear rate (1/s). Throws FitError where the model has no
// value (a Cross-WLF temperature at or below d2 - a2).
double CrossWlfViscosity(const CrossWlf& model, double tempC, double shearRate);
double CarreauViscosity(const Carreau& model, double tempC, double shearRate);

// Throws FitError naming the first parameter out of its range.
void CheckModel(const CrossWlf& model);
void CheckModel(const Carreau& model);

// The model and its parameters, for a fitted material's source: "a Cross-WLF model (n = ...)".
std::string Describe(const CrossWlf& model);
std::string Describe(const Carreau& model);

// Throws FitError, naming the window as `shearRateName` or `tempName` call it, for a window of
// one value (the fit's n or b would be made up) or one that reaches a shear rate at or below
// zero or a temperature at or below absolute zero.
void CheckSampleWindows(const ValueRange& shearRates, const ValueRange& temps, std::string_view shearRateName,
                        std::string_view tempName);

// The model on 20 shear rates spaced evenly in log and 5 temperatures spaced evenly, both
// windows' ends included; viscosities in gf.s/cm2, ready for FitPowerLaw. The windows are
// checked first (CheckSampleWindows).
std::vector<ViscosityPoint> SampleModel(const std::function<double(double tempC, double shearRate)>& pascalSeconds,
                                        const ValueRange& shearRates, const ValueRange& temps);

inline constexpr int kSampledShearRates = 20;
inline constexpr int kSampledTemps = 5;

}  // namespace kelvado
