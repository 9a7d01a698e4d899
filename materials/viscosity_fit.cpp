// SPDX-License-Identifier: Apache-2.0
#include "materials/viscosity_fit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "solver/input.h"

namespace kelvado {
namespace {

std::string Shown(double value) { return ExactNumberText(value); }

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
                   Shown(fit.tempRange.from) + " \u00B0C; b needs at least two temperatures");
  }
  if (fit.shearRateRange.from == fit.shearRateRange.to) {
    throw FitError(origin + ": every point" + (windowed ? " inside the windows" : "") + " is at " +
                   Shown(fit.shearRateRange.from) + " 1/s; n needs at least two shear rates");
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
  const double c1 = (sxz * syy - syz * sxy) / det;
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
    char percent[32];
    std::snprintf(percent, sizeof percent, "%.1f", 100 * fit.worstRelativeError);
    fit.warnings.push_back(std::string("the worst viscosity error is ") + percent +
                           " %: the power law does not hold over these shear rates; narrow the shear-rate window to the"
                           " case's shear rates");
  }
  return fit;
}

std::string FitNumber(double value, int digits) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  return text;
}

std::string FitPercent(double fraction) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f %%", 100 * fraction);
  return text;
}

std::string FitRangeText(const ValueRange& range) { return FitNumber(range.from) + " to " + FitNumber(range.to); }

std::string FitSourceText(const PowerLawFit& fit, const std::string& what, const std::string& by) {
  return "Power law fitted by " + by + " to " + what + ": " + std::to_string(fit.points) + " points, " +
         FitRangeText(fit.tempRange) + " C, " + FitRangeText(fit.shearRateRange) + " 1/s; worst viscosity error " +
         FitPercent(fit.worstRelativeError) +
         ", R2 of ln eta " + FitNumber(fit.rSquared, 5) + ".";
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
  return m;
}

}  // namespace kelvado
