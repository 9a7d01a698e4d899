// SPDX-License-Identifier: Apache-2.0
#pragma once
// The program's viscosity law fitted to measured or sampled viscosities:
//   ln eta = ln eta0 + (n - 1) ln(gamma / gamma0) - b (T - T0),
// linear least squares on ln eta, every point weighted alike. The result fills the five
// viscosity fields of a material.
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "materials/material_library.h"

namespace kelvado {

// Data that can not be fitted; the message names the file (and the line) where there is one.
class FitError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ViscosityPoint {
  double tempC = 0;
  double shearRate = 0;      // 1/s
  double viscosity = 0;      // gf.s/cm2, the program's unit
};

// FROM..TO, both ends included.
struct ValueRange {
  double from = 0;
  double to = 0;
  bool Holds(double value) const { return value >= from && value <= to; }
};

struct FitOptions {
  std::optional<double> referenceTemp;   // T0; unset: the middle of the points' temperatures
  double referenceShearRate = 100;       // gamma0, 1/s
  std::optional<ValueRange> shearRates;  // only the points inside are fitted
  std::optional<ValueRange> temps;
};

struct PowerLawFit {
  double eta0 = 0;  // gf.s/cm2 at T0 and gamma0
  double n = 0;
  double b = 0;     // 1/C
  double referenceTemp = 0;
  double referenceShearRate = 0;
  std::size_t points = 0;  // fitted, inside the windows
  ValueRange tempRange;       // of the fitted points
  ValueRange shearRateRange;
  double rSquared = 0;            // of ln eta
  double worstRelativeError = 0;  // max |eta_fit / eta - 1|
  std::vector<std::string> warnings;
};

// Past this worst error the power law does not hold over the data's shear rates.
inline constexpr double kWorstErrorWarning = 0.10;

// Fits the points inside the windows. Throws FitError, naming `origin`, for fewer than four
// such points, for points all at one temperature or all at one shear rate.
PowerLawFit FitPowerLaw(const std::vector<ViscosityPoint>& points, const FitOptions& options,
                        const std::string& origin);

// The fit's viscosity at a temperature and shear rate, gf.s/cm2.
double FittedViscosity(const PowerLawFit& fit, double tempC, double shearRate);

// A fraction as a percentage with two decimals, "1.23 %", or in six significant digits where
// two decimals would take more (TwoDecimalsText). The fit's other numbers are ShortNumberText.
std::string FitPercent(double fraction);
// "FROM to TO".
std::string FitRangeText(const ValueRange& range);

// What a run refuses in a material's value (solver/input_bounds.h), and a power index above
// one, which the fitted power law does not model: "power-index -26.1701: ...", naming the
// field by its option; nullopt for a value a run takes.
std::optional<std::string> MaterialValueProblem(Field field, double value);

// The first of the fit's five values that MaterialValueProblem refuses, as a message naming
// `what` was fitted; a fit with one is no success to show nor a material to save.
std::optional<std::string> FitProblem(const PowerLawFit& fit, const std::string& what);

// The first of a material's thermal values, given beside a fit, that MaterialValueProblem
// refuses, as a message; such a material is not saved.
std::optional<std::string> ThermalProblem(const Material& material);

// The source a fitted material records: `what` was fitted (a file, a model) by `by`, with the
// points, their ranges, the worst error and R2.
std::string FitSourceText(const PowerLawFit& fit, const std::string& what, const std::string& by);

// The conversion a fitted material records.
inline constexpr const char* kFitConversion = "Least squares on ln eta, every point alike; 1 gf.s/cm2 = 98.0665 Pa.s.";

// A material of the fit's five viscosity values and the three thermal ones given (g/cm3,
// cal/(g.C), cal/(cm.s.C)); `source` says what was fitted. It keeps the fit's window.
Material FittedMaterial(const PowerLawFit& fit, std::string name, double density, double specificHeat,
                        double conductivity, std::string source);

}  // namespace kelvado
