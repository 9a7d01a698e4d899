// SPDX-License-Identifier: Apache-2.0
#include "materials/viscosity_fit.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "solver/input.h"
#include "solver/input_bounds.h"
#include "solver/input_fields.h"
#include "solver/units.h"

namespace kelvado {
namespace {

std::vector<ViscosityPoint> Inside(const std::vector<ViscosityPoint>& points, const FitOptions& options) {
  std::vector<ViscosityPoint> kept;
  for (const ViscosityPoint& p : points) {
    if (options.shearRates && !options.shearRates->Holds(p.shearRate)) continue;
    if (options.temps && !options.temps->Holds(p.tempC)) continue;
    kept.push_back(p);
  }
  return kept;
}

ValueRange RangeOf(const std::vector<ViscosityPoint>& points, double ViscosityPoint::*member) {
  const auto [low, high] = std::minmax_element(points.begin(), points.end(), [member](const auto& a, const auto& b) {
    return a.*member < b.*member;
  });
  return {(*low).*member, (*high).*member};
}

}  // namespace

PowerLawFit FitPowerLaw(const std::vector<ViscosityPoint>& all, const FitOptions& options,
                        const std::string& origin) {
  const std::vector<ViscosityPoint> points = Inside(all, options);
  const bool windowed = options.shearRates || options.temps;
  if (points.size() < 4) {
    throw FitError(origin + ": " + std::to_string(points.size()) + " point" + (points.size() == 1 ? "" : "s") +
                   (windowed ? " inside the windows" : "") + "; a fit needs at least 4");
  }
  PowerLawFit fit;
  fit.points = points.size();
  fit.tempRange = RangeOf(points, &ViscosityPoint::tempC);
  fit.shearRateRange = RangeOf(points, &ViscosityPoint::shearRate);
  if (fit.tempRange.from == fit.tempRange.to) {
    throw FitError(origin + ": every point" + (windowed ? " inside the windows" : "") + " is at " +
                   ShortNumberText(fit.tempRange.from) + " \u00B0C; b needs at least two temperatures");
  }
  if (fit.shearRateRange.from == fit.shearRateRange.to) {
    throw FitError(origin + ": every point" + (windowed ? " inside the windows" : "") + " is at " +
                   ShortNumberText(fit.shearRateRange.from) + " 1/s; n needs at least two shear rates");
  }
  fit.referenceTemp = options.referenceTemp.value_or((fit.tempRange.from + fit.tempRange.to) / 2);
  fit.referenceShearRate = options.referenceShearRate;

  // ln eta = c0 + c1 x + c2 y with x = ln(gamma/gamma0), y = T - T0. The slopes come from the
  // centred 2x2 normal equations, which keeps them well conditioned whatever T0 and gamma0.
  const double count = static_cast<double>(points.size());
  double xm = 0, ym = 0, zm = 0;
  for (const ViscosityPoint& p : points) {
    xm += std::log(p.shearRate / fit.referenceShearRate);
    ym += p.tempC - fit.referenceTemp;
    zm += std::log(p.viscosity);
  }
  xm /= count, ym /= count, zm /= count;
  double sxx = 0, sxy = 0, syy = 0, sxz = 0, syz = 0, szz = 0;
  for (const ViscosityPoint& p : points) {
    const double x = std::log(p.shearRate / fit.referenceShearRate) - xm;
    const double y = p.tempC - fit.referenceTemp - ym;
    const double z = std::log(p.viscosity) - zm;
    sxx += x * x, sxy += x * y, syy += y * y, sxz += x * z, syz += y * z, szz += z * z;
  }
  const double det = sxx * syy - sxy * sxy;
  if (!(det > 1e-12 * sxx * syy)) {
    throw FitError(origin + ": the shear rates rise and fall with the temperatures; n and b can not be told apart");
  }
  double c1 = (sxz * syy - syz * sxy) / det;
  // Within rounding of one, n is one: the data of a Newtonian melt, which a run takes.
  if (std::abs(c1) < 1e-9) c1 = 0;
  const double c2 = (syz * sxx - sxz * sxy) / det;
  fit.n = 1 + c1;
  fit.b = -c2;
  fit.eta0 = std::exp(zm - c1 * xm - c2 * ym);

  double residual = 0;
  for (const ViscosityPoint& p : points) {
    const double fitted = FittedViscosity(fit, p.tempC, p.shearRate);
    const double r = std::log(p.viscosity) - std::log(fitted);
    residual += r * r;
    fit.worstRelativeError = std::max(fit.worstRelativeError, std::abs(fitted / p.viscosity - 1));
  }
  fit.rSquared = szz > 0 ? 1 - residual / szz : 1;
  if (fit.worstRelativeError > kWorstErrorWarning) {
    fit.warnings.push_back("the worst viscosity error is " + FitPercent(fit.worstRelativeError) +
                           ": the power law does not hold over these shear rates; narrow the shear-rate window to the"
                           " case's shear rates");
  }
  return fit;
}

std::string FitPercent(double fraction) { return TwoDecimalsText(100 * fraction) + " %"; }

std::string FitRangeText(const ValueRange& range) { return ShortNumberText(range.from) + " to " + ShortNumberText(range.to); }

std::optional<std::string> MaterialValueProblem(Field field, double value) {
  const std::string named = std::string(FieldInfo(field).optionName) + " " + ShortNumberText(value);
  if (field == Field::PowerIndex && !(value > 0 && value <= 1)) {
    // A run takes an n above one, but the power law here is fitted to melts that thin with shear.
    return named + ": a fitted power-index must be above zero and at most 1";
  }
  if (!std::isfinite(value)) return named + ": a run needs a finite number";
  const std::string bound = BoundText(field);
  if (BoundOf(field) == Bound::AboveZero && !(value > 0)) return named + ": a run needs it " + bound;
  if (BoundOf(field) == Bound::AboveAbsoluteZero && !(value > kAbsoluteZero)) return named + ": a run needs it " + bound;
  return std::nullopt;
}

std::optional<std::string> FitProblem(const PowerLawFit& fit, const std::string& what) {
  const std::pair<Field, double> fitted[] = {{Field::StdViscosity, fit.eta0},
                                             {Field::StdShearRate, fit.referenceShearRate},
                                             {Field::StdTemp, fit.referenceTemp},
                                             {Field::PowerIndex, fit.n},
                                             {Field::TempCoeff, fit.b}};
  for (const auto& [field, value] : fitted) {
    if (std::optional<std::string> problem = MaterialValueProblem(field, value)) {
      return "the power law fitted to " + what + " gives " + *problem + "; no material is made of it";
    }
  }
  return std::nullopt;
}

std::optional<std::string> ThermalProblem(const Material& material) {
  for (const Field field : {Field::Density, Field::SpecificHeat, Field::Conductivity}) {
    if (std::optional<std::string> problem = MaterialValueProblem(field, material.Value(field))) {
      return "the material to save has " + *problem + "; nothing is saved";
    }
  }
  return std::nullopt;
}

std::string FitSourceText(const PowerLawFit& fit, const std::string& what, const std::string& by) {
  return "Power law fitted by " + by + " to " + what + ": " + std::to_string(fit.points) + " points, " +
         FitRangeText(fit.tempRange) + " C, " + FitRangeText(fit.shearRateRange) + " 1/s; worst viscosity error " +
         FitPercent(fit.worstRelativeError) +
         ", R2 of ln eta " + ShortNumberText(fit.rSquared) + ".";
}

double FittedViscosity(const PowerLawFit& fit, double tempC, double shearRate) {
  return fit.eta0 * std::pow(shearRate / fit.referenceShearRate, fit.n - 1) *
         std::exp(-fit.b * (tempC - fit.referenceTemp));
}

Material FittedMaterial(const PowerLawFit& fit, std::string name, double density, double specificHeat,
                        double conductivity, std::string source) {
  Material m;
  m.name = std::move(name);
  m.family = "fitted power law";
  m.source = std::move(source);
  m.values = {density, specificHeat, conductivity, fit.eta0, fit.referenceShearRate, fit.referenceTemp, fit.n, fit.b};
  m.fitted = FittedWindow{fit.tempRange.from, fit.tempRange.to, fit.shearRateRange.from, fit.shearRateRange.to};
  return m;
}

}  // namespace kelvado
