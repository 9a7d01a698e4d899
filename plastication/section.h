// SPDX-License-Identifier: Apache-2.0
#pragma once
// One channel section at a place along the screw, in SI units, as the solids and melting
// stages see it. Depth is measured from the barrel to the root; the flight clearance is
// neglected. Widths and speeds are taken at the barrel unless a diameter is given.
#include <cmath>
#include <numbers>

namespace kelvado::plastication {

struct Section {
  double barrelDiameter = 0;  // D_b, m
  double depth = 0;           // H, m
  double lead = 0;            // L, m: the axial advance of one flight in one turn (the pitch)
  double flightWidth = 0;     // e, m, normal to the flight, the same at every radius
  int flights = 1;            // p parallel channels
};

// tan(phi(D)) = L / (pi D).
inline double HelixAngle(const Section& s, double diameter) { return std::atan(s.lead / (std::numbers::pi * diameter)); }
// W(D) = (L / p) cos(phi(D)) - e.
inline double ChannelWidth(const Section& s, double diameter) {
  return s.lead / s.flights * std::cos(HelixAngle(s, diameter)) - s.flightWidth;
}
inline double RootDiameter(const Section& s) { return s.barrelDiameter - 2 * s.depth; }
inline double MeanDiameter(const Section& s) { return s.barrelDiameter - s.depth; }

}  // namespace kelvado::plastication
