// SPDX-License-Identifier: Apache-2.0
#include "plastication/solids_conveying.h"

#include <cmath>
#include <numbers>

namespace kelvado::plastication {
namespace {

constexpr double kPi = std::numbers::pi;

// K + (D / D_b) cot(phi(D)): how friction on a wall at diameter D turns into resisting torque,
// relative to the barrel's drag.
double Lever(const Section& s, double k, double diameter) {
  return k + diameter / s.barrelDiameter / std::tan(HelixAngle(s, diameter));
}

// The mean pressure over a length where it grows exponentially; P1 where it does not change.
double LogMeanPressure(double p1, double p2) {
  if (p2 == p1) return p1;
  return (p2 - p1) / std::log(p2 / p1);
}

}  // namespace

SolidsConveying::SolidsConveying(const Section& section, double bulkDensity, SolidsFriction friction,
                                 double revPerSec)
    : section_(section), bulkDensity_(bulkDensity), friction_(friction), revPerSec_(revPerSec) {}

double SolidsConveying::FreeArea() const {
  const Section& s = section_;
  const double flank = s.flights * s.flightWidth * s.depth / std::sin(HelixAngle(s, MeanDiameter(s)));
  return kPi * s.depth * MeanDiameter(s) - flank;
}

double SolidsConveying::K() const {
  const double phi = HelixAngle(section_, MeanDiameter(section_));
  const double fs = friction_.screw;
  return MeanDiameter(section_) / section_.barrelDiameter * (std::sin(phi) + fs * std::cos(phi)) /
         (std::cos(phi) - fs * std::sin(phi));
}

double SolidsConveying::M0() const {
  const Section& s = section_;
  const double db = s.barrelDiameter;
  const double root = RootDiameter(s);
  const double k = K();
  const double scale = friction_.screw / friction_.barrel * std::sin(HelixAngle(s, db)) / ChannelWidth(s, db);
  // Both flanks, each the channel's depth high at the mean diameter, then the root.
  return scale * (2 * s.depth * Lever(s, k, MeanDiameter(s)) + ChannelWidth(s, root) * Lever(s, k, root));
}

double SolidsConveying::M1() const {
  const Section& s = section_;
  const double mean = MeanDiameter(s);
  return ChannelWidth(s, mean) * s.depth / (ChannelWidth(s, s.barrelDiameter) * friction_.barrel) *
         std::sin(HelixAngle(s, mean)) * Lever(s, K(), mean);
}

std::optional<Conveying> SolidsConveying::AtPressureRatio(double ratio, double z) const {
  if (!(ratio > 0)) return std::nullopt;
  if (ratio == 1) return AtBalance(M0());  // the length does not matter then, even zero
  if (!(z > 0)) return std::nullopt;
  return AtBalance(M0() + M1() * std::log(ratio) / z);
}

std::optional<Conveying> SolidsConveying::NoPressureChange() const { return AtBalance(M0()); }

std::optional<Conveying> SolidsConveying::AtBalance(double m) const {
  // Flights whose friction locks the plug (cos(phi_mean) <= f_s sin(phi_mean)) leave the
  // balance without meaning, whatever angle it gives.
  const double phiMean = HelixAngle(section_, MeanDiameter(section_));
  if (!(std::cos(phiMean) > friction_.screw * std::sin(phiMean))) return std::nullopt;
  const double k = K();
  const double theta = std::acos(m / std::hypot(1.0, k)) - std::atan(k);
  // With K > 0, theta > 0 exactly where M < 1. At 90 degrees and beyond the plug would move
  // at or faster than the flights, N L. A pressure falling faster than any angle balances
  // leaves acos a NaN, which fails this check too.
  if (!(theta > 0 && theta < kPi / 2)) return std::nullopt;
  // V_pa = V_b tan(theta) tan(phi_b) / (tan(theta) + tan(phi_b)), written with sines so
  // that it stays finite up to 90 degrees.
  const double phiB = HelixAngle(section_, section_.barrelDiameter);
  const double vb = kPi * revPerSec_ * section_.barrelDiameter;
  const double axialSpeed = vb * std::sin(theta) * std::sin(phiB) / std::sin(theta + phiB);
  return Conveying{theta, bulkDensity_ * axialSpeed * FreeArea()};
}

std::optional<double> SolidsConveying::AngleForOutput(double output) const {
  const double vpa = output / (bulkDensity_ * FreeArea());
  const double phiB = HelixAngle(section_, section_.barrelDiameter);
  // V_b tan(phi_b) is the flights' axial speed N L.
  const double flightSpeed = kPi * revPerSec_ * section_.barrelDiameter * std::tan(phiB);
  if (!(vpa > 0 && vpa < flightSpeed)) return std::nullopt;
  return std::atan(vpa * std::tan(phiB) / (flightSpeed - vpa));
}

double SolidsConveying::PressureAt(double angle, double inletPressure, double z) const {
  const double rise = std::cos(angle) - K() * std::sin(angle) - M0();
  return inletPressure * std::exp(z * rise / M1());
}

double SolidsConveying::BarrelFriction(double p1, double p2, double z) const {
  const Section& s = section_;
  return s.flights * kPi * revPerSec_ * s.barrelDiameter * friction_.barrel * ChannelWidth(s, s.barrelDiameter) *
         z * LogMeanPressure(p1, p2);
}

double SolidsConveying::DrivePower(double angle, double p1, double p2, double z) const {
  return std::cos(angle) * BarrelFriction(p1, p2, z);
}

double SolidsConveying::FrictionHeat(double angle, double p1, double p2, double z) const {
  // The slip speed between barrel and plug, relative to V_b, in place of the torque's cos(theta).
  const double phiB = HelixAngle(section_, section_.barrelDiameter);
  return std::sin(phiB) / std::sin(angle + phiB) * BarrelFriction(p1, p2, z);
}

}  // namespace kelvado::plastication
