// SPDX-License-Identifier: Apache-2.0
#pragma once
// Melting of a contiguous solid bed against the trailing flight: a melt film at the barrel
// (its viscosity re-solved with the bed's width, conduction and dissipation, no convection) fed by the barrel
// and its own heating, the bed moving down the channel at one speed. SI units, temperatures
// in C; z is the down-channel distance at the barrel, one channel.
#include <optional>

#include "plastication/section.h"

namespace kelvado::plastication {

struct MeltingMaterial {
  double solidDensity = 0;       // rho_s, kg/m3
  double solidSpecificHeat = 0;  // C_s, J/(kg K), mean from the pellets' to the melting temperature
  double meltingTemp = 0;        // T_m, C
  double heatOfFusion = 0;       // lambda, J/kg
  double meltDensity = 0;        // rho_m, kg/m3
  double meltConductivity = 0;   // k_m, W/(m K)
  // The melt's viscosity law: eta = eta0 (gamma / gamma0)^(n - 1) exp(-b (T - T0)).
  double stdViscosity = 0;   // eta0, Pa s
  double stdShearRate = 0;   // gamma0, 1/s
  double stdTemp = 0;        // T0, C
  double powerIndex = 1;     // n
  double tempCoeff = 0;      // b, 1/K
};

// The film over a bed of width X, its thickness and viscosity iterated with each other.
struct Film {
  double thickness = 0;    // delta, m
  double viscosity = 0;    // mu, Pa s, from the law at the film's mean temperature and shear rate
  double shearRate = 0;    // V_j / delta, 1/s
  double meanTemp = 0;     // C
  double meltingRate = 0;  // Phi: the bed melts at Phi sqrt(X), kg/(s m) per unit down-channel length
  double brinkman = 0;     // mu V_j^2 / (k_m (T_b - T_m))
  double cupTemp = 0;      // C: the film's melt as it enters the pool
};

// Nothing where the film can not melt the bed (k_m (T_b - T_m) + mu V_j^2 / 2 <= 0).
std::optional<Film> SolveFilm(const MeltingMaterial& material, double barrelTemp, double bedTemp, double bedWidth,
                              double barrelSpeedAcross, double relativeSpeed);

// How a step of the bed ended.
enum class BedEnd { Melting, Melted, Plugged };

struct BedStep {
  BedEnd end = BedEnd::Melting;
  double length = 0;    // m of the step taken: the whole step, or where the bed melted or plugged
  double width = 0;     // X at its end, m
  Film film;            // at the step's start
};

// The solid bed down one channel: fully compacted (rho_s), entering at the depth where melting
// starts and moving at the one speed V_sz = G_c / (rho_s H_m W) to the end of melting.
class SolidBed {
 public:
  // `channelOutput` G_c, kg/s; the section where melting starts; the pellets' temperature.
  SolidBed(const MeltingMaterial& material, double channelOutput, const Section& start, double bedTemp);

  double Speed() const;  // V_sz, m/s
  double Width() const;  // X, m
  // Advances the bed over dz down the channel while the depth goes linearly from
  // `depthFrom` to `depthTo` (the section's other values as given), at barrel temperature
  // `barrelTemp` and screw speed `revPerSec`; integrates d(rho_s V_sz H X)/dz = -Phi sqrt(X).
  BedStep Step(double dz, const Section& section, double depthFrom, double depthTo, double barrelTemp,
               double revPerSec);

 private:
  MeltingMaterial material_;
  double channelOutput_;
  double startDepth_;
  double startWidth_;
  double bedTemp_;
  double width_;
};

}  // namespace kelvado::plastication
