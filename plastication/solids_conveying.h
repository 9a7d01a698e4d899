// SPDX-License-Identifier: Apache-2.0
#pragma once
// Solids conveying: a plug of compacted pellets pushed down the channel by friction against
// the barrel and held back by friction on the screw. Isothermal, Coulomb friction, pressure
// the same in every direction. SI units; z is the down-channel distance at the barrel.
#include <optional>

#include "plastication/section.h"

namespace kelvado::plastication {

struct SolidsFriction {
  double barrel = 0;  // f_b
  double screw = 0;   // f_s, at the root and the flanks
};

// The plug's motion: the conveying angle and the output it carries (all channels).
struct Conveying {
  double angle = 0;   // theta, rad: of the plug's absolute velocity to the plane normal to the axis
  double output = 0;  // G, kg/s
};

class SolidsConveying {
 public:
  SolidsConveying(const Section& section, double bulkDensity, SolidsFriction friction, double revPerSec);

  double FreeArea() const;  // A, m2, normal to the axis, all channels
  // The coefficients of the balance cos(theta) = K sin(theta) + M0 + M1 ln(P/P1) / z.
  double K() const;
  double M0() const;
  double M1() const;

  // The plug that builds the pressure ratio P2/P1 over z; nothing where it can not be
  // conveyed (M >= 1, or a balance that has no angle between 0 and 90 degrees).
  std::optional<Conveying> AtPressureRatio(double ratio, double z) const;
  // G0: the output at no pressure change, the ceiling of a flood-fed screw.
  std::optional<Conveying> NoPressureChange() const;
  // The angle at which the plug carries `output`; nothing where the plug would have to move
  // at or beyond the screw's own axial speed N L.
  std::optional<double> AngleForOutput(double output) const;
  // P(z) = P1 exp[z (cos(theta) - K sin(theta) - M0) / M1] at the output's angle, Pa.
  double PressureAt(double angle, double inletPressure, double z) const;

  // Over a length z from P1 to P2 (Pa), all channels, W: the drive power the barrel's
  // friction transmits, and the heat that friction makes at the barrel.
  double DrivePower(double angle, double p1, double p2, double z) const;
  double FrictionHeat(double angle, double p1, double p2, double z) const;

 private:
  // The plug whose balance is cos(theta) = K sin(theta) + m.
  std::optional<Conveying> AtBalance(double m) const;
  // p pi N D_b f_b W_b z P_mean: barrel friction over z, before the angle's factor.
  double BarrelFriction(double p1, double p2, double z) const;

  Section section_;
  double bulkDensity_;
  SolidsFriction friction_;
  double revPerSec_;
};

}  // namespace kelvado::plastication
