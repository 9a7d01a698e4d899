// SPDX-License-Identifier: Apache-2.0
#include "plastication/melting.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace kelvado::plastication {

namespace {

// C_s (T_m - T_s0) + lambda: what a unit mass of bed takes to melt, J/kg.
double HeatToMelt(const MeltingMaterial& m, double bedTemp) {
  return m.solidSpecificHeat * (m.meltingTemp - bedTemp) + m.heatOfFusion;
}

}  // namespace

std::optional<Film> SolveFilm(const MeltingMaterial& material, double barrelTemp, double bedTemp, double bedWidth,
                              double barrelSpeedAcross, double relativeSpeed) {
  const MeltingMaterial& m = material;
  const double toMelt = HeatToMelt(m, bedTemp);
  if (!(bedWidth > 0) || !(barrelSpeedAcross > 0) || !(relativeSpeed > 0) || !(toMelt > 0)) return std::nullopt;
  const double conducted = m.meltConductivity * (barrelTemp - m.meltingTemp);  // k_m (T_b - T_m)
  const double v2 = relativeSpeed * relativeSpeed;
  // delta^2 per unit of heat reaching the interface.
  const double squaredPerHeat = 2 * bedWidth / (barrelSpeedAcross * m.meltDensity * toMelt);

  // The film at viscosity mu = exp(x). Its viscosity is the root of g(x) = ln(law) - x; g
  // falls at least as fast as (1 + n)/2 wherever the barrel is above T_m, so a Newton step
  // kept inside a bracket converges however strongly the melt thins.
  struct Trial {
    Film film;
    double g = 0, slope = 0;
  };
  auto trial = [&](double x) {
    Trial t;
    Film& f = t.film;
    f.viscosity = std::exp(x);
    const double dissipated = f.viscosity * v2 / 2;
    const double heat = conducted + dissipated;
    f.thickness = std::sqrt(squaredPerHeat * heat);
    f.shearRate = relativeSpeed / f.thickness;
    f.meanTemp = (barrelTemp + m.meltingTemp) / 2 + f.viscosity * v2 / (12 * m.meltConductivity);
    f.meltingRate = std::sqrt(barrelSpeedAcross * m.meltDensity * heat / (2 * toMelt));
    f.brinkman = f.viscosity * v2 / conducted;
    f.cupTemp = m.meltingTemp + 2 * (barrelTemp - m.meltingTemp) / 3 + f.viscosity * v2 / (12 * m.meltConductivity);
    const double lnLaw = std::log(m.stdViscosity) + (m.powerIndex - 1) * std::log(f.shearRate / m.stdShearRate) -
                         m.tempCoeff * (f.meanTemp - m.stdTemp);
    t.g = lnLaw - x;
    t.slope = 0.5 * (1 - m.powerIndex) * dissipated / heat -
              m.tempCoeff * f.viscosity * v2 / (12 * m.meltConductivity) - 1;
    return t;
  };

  // Below T_m only dissipation can feed the film: mu must exceed -2 k_m (T_b - T_m) / V_j^2.
  const double xMin = conducted < 0 ? std::log(-2 * conducted / v2) : -std::numeric_limits<double>::infinity();
  double x = std::log(m.stdViscosity) - m.tempCoeff * ((barrelTemp + m.meltingTemp) / 2 - m.stdTemp);
  if (conducted < 0) x = std::max(x, xMin + 1);
  // Bracket the root (g(lo) > 0 > g(hi)); stepping down halves the way to xMin so as never to leave the domain.
  double lo = x, hi = x;
  const bool above = trial(x).g > 0;
  bool bracketed = false;
  for (int i = 0; i < 200 && !bracketed; ++i) {
    if (above) {
      hi += 1;
      bracketed = !(trial(hi).g > 0);
    } else {
      lo = conducted < 0 ? std::max(lo - 1, (lo + xMin) / 2) : lo - 1;
      bracketed = trial(lo).g > 0;
    }
  }
  if (!bracketed) return std::nullopt;

  x = (lo + hi) / 2;
  for (int i = 0; i < 100; ++i) {
    const Trial t = trial(x);
    (t.g > 0 ? lo : hi) = x;
    double next = x - t.g / t.slope;
    if (!(next > lo && next < hi)) next = (lo + hi) / 2;
    const bool done = std::abs(next - x) < 1e-13 || hi - lo < 1e-13;
    x = next;
    if (done) break;
  }
  const Film film = trial(x).film;
  if (!(conducted + film.viscosity * v2 / 2 > 0) || !std::isfinite(film.thickness)) return std::nullopt;
  return film;
}

SolidBed::SolidBed(const MeltingMaterial& material, double channelOutput, const Section& start, double bedTemp)
    : material_(material),
      channelOutput_(channelOutput),
      startDepth_(start.depth),
      startWidth_(ChannelWidth(start, start.barrelDiameter)),
      bedTemp_(bedTemp),
      width_(startWidth_) {}

double SolidBed::Speed() const { return channelOutput_ / (material_.solidDensity * startDepth_ * startWidth_); }

double SolidBed::Width() const { return width_; }

BedStep SolidBed::Step(double dz, const Section& section, double depthFrom, double depthTo, double barrelTemp,
                       double revPerSec) {
  const double diameter = section.barrelDiameter;
  const double helix = HelixAngle(section, diameter);
  const double barrelSpeed = std::numbers::pi * revPerSec * diameter;
  const double across = barrelSpeed * std::sin(helix);
  const double relative = std::hypot(across, barrelSpeed * std::cos(helix) - Speed());
  const double channelWidth = ChannelWidth(section, diameter);
  const double wall = std::sqrt(channelWidth);
  const double taper = (depthFrom - depthTo) / dz;  // A = -dH/dz
  const double massFlux = material_.solidDensity * Speed();

  auto film = [&](double width) {
    return SolveFilm(material_, barrelTemp, bedTemp_, width, across, relative);
  };
  // In s = sqrt(X) the balance d(H s^2)/dz = -Phi s / (rho_s V_sz) reads
  // s' = (A s - Phi / (rho_s V_sz)) / (2 H): smooth through the end of the bed, and linear in s
  // while Phi is constant. Phi is taken at a sliver of bed where s has just crossed zero.
  auto rate = [&](double z, double s) {
    const std::optional<Film> f = film(std::max(s * s, 1e-12 * channelWidth));
    const double phi = f ? f->meltingRate : 0;
    return (taper * s - phi / massFlux) / (2 * (depthFrom - taper * z));
  };
  auto rk4 = [&](double z, double s, double h) {
    const double k1 = rate(z, s);
    const double k2 = rate(z + h / 2, s + h / 2 * k1);
    const double k3 = rate(z + h / 2, s + h / 2 * k2);
    const double k4 = rate(z + h, s + h * k3);
    return s + h / 6 * (k1 + 2 * k2 + 2 * k3 + k4);
  };

  BedStep out;
  // A step the channel can not hold takes nothing, rather than stepping a NaN.
  if (!(dz > 0) || !(depthFrom > 0) || !(depthTo > 0)) {
    out.width = width_;
    return out;
  }
  if (!(width_ > 0)) {
    out.end = BedEnd::Melted;
    return out;
  }
  out.film = film(width_).value_or(Film{});
  // More sub-steps where the depth changes a lot: sqrt(H) shapes the profile in a taper.
  const int subSteps = 8 + static_cast<int>(std::ceil(32 * std::abs(std::log(depthFrom / depthTo))));
  const double h = dz / subSteps;
  double s = std::sqrt(width_);
  for (int i = 0; i < subSteps; ++i) {
    const double z = i * h;
    const double next = rk4(z, s, h);
    const bool melted = next <= 0;
    if (melted || next > wall * (1 + 1e-12)) {
      // The bed ends inside this sub-step: bisect for where, along the same RK4 stage.
      double a = 0, b = h;
      for (int k = 0; k < 60; ++k) {
        const double mid = (a + b) / 2;
        const double sm = rk4(z, s, mid);
        ((melted ? sm <= 0 : sm > wall) ? b : a) = mid;
      }
      out.end = melted ? BedEnd::Melted : BedEnd::Plugged;
      out.length = z + b;
      width_ = melted ? 0 : channelWidth;
      out.width = width_;
      return out;
    }
    s = next;
  }
  out.length = dz;
  width_ = s * s;
  out.width = width_;
  return out;
}

}  // namespace kelvado::plastication
