// SPDX-License-Identifier: Apache-2.0
#pragma once
// The die after the screw: channels in series, each passed by the melt isothermally at the
// temperature it leaves the screw with, with the screw's temperature-dependent power law
// eta = eta0 (gdot/gamma0)^(n-1) exp(-b (T - T0)). Units as in the solver: cm, gf, s, C.
//
// Each section's pressure drop is the exact isothermal power-law result:
//   circular (diameter D): apparent wall shear rate 32 Q/(pi D^3), the true one (3n+1)/(4n)
//     times that, pressure drop 4 L tau_w / D;
//   slit (width W >> gap h): apparent 6 Q/(W h^2), true (2n+1)/(3n) times that, pressure drop
//     2 L tau_w / h; the side walls are ignored, which understates the drop by about
//     63 h/W percent, hence a warning once h/W passes 0.05;
//   annulus (outer Do, inner Di): the exact solution, found numerically (the radius of zero
//     stress, then the flow by quadrature), valid for any Di/Do; its apparent wall shear rate
//     is that of the equivalent slit (gap (Do-Di)/2, width pi (Do+Di)/2), its true one that of
//     the wall with the higher stress.
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "solver/input.h"

namespace kelvado {

enum class DieShape { Circular, Slit, Annulus };

// The dimensions a shape does not have stay zero. Diameters, not radii.
struct DieSection {
  DieShape shape = DieShape::Circular;
  double diameter = 0;  // circular
  double width = 0;     // slit
  double gap = 0;       // slit
  double outer = 0;     // annulus
  double inner = 0;     // annulus
  double length = 0;
};

// A die section or melt that can not be used; what() says why, for the user.
class DieInputError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// "circular", "slit" or "annulus".
const char* DieShapeName(DieShape shape);

// Reads `circular:diameter=0.5,length=3`, `slit:width=30,gap=0.1,length=5` or
// `annulus:outer=2,inner=1.8,length=4`: the keys in any order, each once, numbers written with
// a point, blanks around the parts allowed. Throws DieInputError for an unknown shape or key,
// a key missing or given twice, a text that is not a number and the cases CheckDieSection
// rejects.
DieSection ParseDieSection(std::string_view text);

// The dimensions of the section's shape as the texts name them, in their order, in cm:
// {"diameter", 0.5}, {"length", 3}.
std::vector<std::pair<std::string_view, double>> DieSectionDimensions(const DieSection& section);

// The text ParseDieSection reads back as the same section, every number exact.
std::string DieSectionText(const DieSection& section);

// Throws DieInputError unless every dimension of the shape is a finite number above zero,
// the gap of a slit is below its width and the inner diameter of an annulus below the outer.
void CheckDieSection(const DieSection& section);

// A note for a section whose formula is used past its range (a slit not wide enough), or "".
std::string DieSectionWarning(const DieSection& section);

// The melt as the die sees it: the run's power law and density.
struct PowerLawMelt {
  double stdViscosity = 0;  // eta0, gf s/cm2
  double stdShearRate = 0;  // gamma0, 1/s
  double stdTemp = 0;       // T0, C
  double powerIndex = 0;    // n
  double tempCoeff = 0;     // b, 1/C
  double density = 0;       // g/cm3

  // eta at that shear rate and temperature, gf s/cm2.
  double Viscosity(double shearRate, double temp) const;
};

// The melt of a run's input texts. Throws DieInputError for a text that is not a number and
// for a density, standard viscosity, standard shear rate or power index not above zero.
PowerLawMelt MeltOfInputs(const InputTexts& inputs, char decimalSeparator);

// The volume rate in cm3/s of an output in kg/hr.
double VolumeRateOf(double outputKgPerHr, const PowerLawMelt& melt);

struct SectionFlow {
  double pressureDrop = 0;       // gf/cm2
  double apparentShearRate = 0;  // Newtonian wall shear rate, 1/s
  double wallShearRate = 0;      // true wall shear rate, 1/s
};

struct DieFlow {
  std::vector<SectionFlow> sections;  // in the order of the die
  double pressureDrop = 0;            // the sum, gf/cm2
};

// More sections than any real die has: past it a case is taken for a mistake, not worked.
inline constexpr std::size_t kMaxDieSections = 100;

// A die for one melt: the sections checked and what depends only on their shapes and on n
// worked out once, so that the flow at many rates and temperatures is cheap.
class Die {
 public:
  // Throws DieInputError for no section or more than kMaxDieSections, a section CheckDieSection rejects or whose sizes
  // are too far apart for its formula in doubles, or a melt whose power index is not a
  // finite number above zero.
  Die(std::vector<DieSection> sections, const PowerLawMelt& melt);

  // The flow at `volumeRate` cm3/s with the melt at `meltTemp` C throughout.
  DieFlow FlowAt(double volumeRate, double meltTemp) const;

  const std::vector<DieSection>& sections() const { return sections_; }
  const PowerLawMelt& melt() const { return melt_; }

 private:
  // Per section: true wall shear rate = trueRatePerQ Q, apparent = apparentRatePerQ Q,
  // pressure drop = dropPerStress times the wall shear stress the true rate gives.
  struct Shape {
    double trueRatePerQ;
    double apparentRatePerQ;
    double dropPerStress;
  };

  std::vector<DieSection> sections_;
  PowerLawMelt melt_;
  std::vector<Shape> shapes_;
};

}  // namespace kelvado
