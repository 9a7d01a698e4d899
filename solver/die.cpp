// SPDX-License-Identifier: Apache-2.0
#include "solver/die.h"

#include <array>
#include <cmath>
#include <numbers>
#include <optional>

#include "solver/input_fields.h"
#include "solver/sweep.h"

namespace kelvado {
namespace {

constexpr double pi = std::numbers::pi;

struct DimensionKey {
  std::string_view key;
  double DieSection::*value;
};

struct ShapeKeys {
  DieShape shape;
  std::string_view name;
  std::array<DimensionKey, 3> keys;  // the shapes with two dimensions end with the length
  std::size_t count;
};

constexpr ShapeKeys kShapes[] = {
    {DieShape::Circular, "circular", {{{"diameter", &DieSection::diameter}, {"length", &DieSection::length}, {}}}, 2},
    {DieShape::Slit, "slit", {{{"width", &DieSection::width}, {"gap", &DieSection::gap}, {"length", &DieSection::length}}}, 3},
    {DieShape::Annulus, "annulus", {{{"outer", &DieSection::outer}, {"inner", &DieSection::inner}, {"length", &DieSection::length}}}, 3},
};

const ShapeKeys& KeysOf(DieShape shape) {
  for (const ShapeKeys& s : kShapes) {
    if (s.shape == shape) return s;
  }
  return kShapes[0];
}

std::string_view Trim(std::string_view text) {
  constexpr std::string_view kBlanks = " \t";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

[[noreturn]] void Reject(std::string_view text, std::string_view why) {
  throw DieInputError(std::string("die section '").append(text).append("': ").append(why));
}

// Gauss-Legendre nodes and weights on [0, 1].
constexpr int kGaussOrder = 20;
struct GaussRule {
  std::array<double, kGaussOrder> node{};
  std::array<double, kGaussOrder> weight{};
};

GaussRule MakeGaussRule() {
  GaussRule rule;
  for (int i = 0; i < kGaussOrder; ++i) {
    double x = std::cos(pi * (i + 0.75) / (kGaussOrder + 0.5));
    double derivative = 1;
    for (int newton = 0; newton < 100; ++newton) {
      double p0 = 1, p1 = x;  // Legendre polynomials by their recurrence
      for (int k = 2; k <= kGaussOrder; ++k) {
        const double p2 = ((2 * k - 1) * x * p1 - (k - 1) * p0) / k;
        p0 = p1;
        p1 = p2;
      }
      derivative = kGaussOrder * (x * p1 - p0) / (x * x - 1);
      const double step = p1 / derivative;
      x -= step;
      if (std::fabs(step) < 1e-16) break;
    }
    rule.node[i] = (1 - x) / 2;
    rule.weight[i] = 1 / ((1 - x * x) * derivative * derivative);
  }
  return rule;
}

// Power-law flow in an annulus of radius ratio kappa, lengths in outer radii R: the stress is
// tau = (G R / 2) s(rho), s = rho - lambda^2/rho, zero at rho = lambda, and the velocity
// gradient follows from it. The integral over [kappa, 1] of rho^k sgn(s) |s|^m, in two parts
// meeting at lambda, each mapped by rho - lambda ~ u^2 to soften the kink where s is zero.
double AnnulusIntegral(double kappa, double lambda, double m, int k) {
  static const GaussRule rule = MakeGaussRule();
  constexpr int kPanels = 4;
  double sum = 0;
  for (const double side : {-1.0, 1.0}) {
    const double span = side < 0 ? lambda - kappa : 1 - lambda;
    for (int panel = 0; panel < kPanels; ++panel) {
      for (int i = 0; i < kGaussOrder; ++i) {
        const double u = (panel + rule.node[i]) / kPanels;
        const double rho = lambda + side * span * u * u;
        const double s = rho - lambda * lambda / rho;
        sum += rule.weight[i] / kPanels * 2 * span * u * std::pow(rho, k) * std::copysign(std::pow(std::fabs(s), m), s);
      }
    }
  }
  return sum;
}

struct AnnulusSolution {
  double flow;       // Q = (G R / (2 K))^(1/n) R^3 flow
  double wallStress; // the larger |s| of the two walls
};

AnnulusSolution SolveAnnulus(double kappa, double n) {
  const double m = 1 / n;
  // The velocity is zero on both walls: the integral of the velocity gradient vanishes. It
  // falls as lambda grows, positive at kappa and negative at 1.
  double lo = kappa, hi = 1;
  for (int i = 0; i < 200; ++i) {
    const double mid = (lo + hi) / 2;
    if (mid <= lo || mid >= hi) break;
    (AnnulusIntegral(kappa, mid, m, 0) > 0 ? lo : hi) = mid;
  }
  const double lambda = (lo + hi) / 2;
  const double inner = lambda * lambda / kappa - kappa;
  const double outer = 1 - lambda * lambda;
  return {pi * AnnulusIntegral(kappa, lambda, m, 2), std::max(inner, outer)};
}

bool Positive(double value) { return std::isfinite(value) && value > 0; }

}  // namespace

const char* DieShapeName(DieShape shape) { return KeysOf(shape).name.data(); }

DieSection ParseDieSection(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) Reject(text, "expected SHAPE:KEY=VALUE,... (circular, slit or annulus)");
  const std::string_view name = Trim(text.substr(0, colon));
  const ShapeKeys* shape = nullptr;
  for (const ShapeKeys& s : kShapes) {
    if (s.name == name) shape = &s;
  }
  if (shape == nullptr) {
    Reject(text, std::string("unknown shape '").append(name).append("' (circular, slit or annulus)"));
  }

  DieSection section;
  section.shape = shape->shape;
  std::array<bool, 3> given{};
  std::string_view rest = text.substr(colon + 1);
  while (true) {
    const std::size_t comma = rest.find(',');
    const std::string_view part = rest.substr(0, comma);
    const std::size_t equals = part.find('=');
    const std::string_view key = Trim(part.substr(0, equals));
    if (equals == std::string_view::npos || key.empty()) {
      Reject(text, std::string("expected KEY=VALUE, not '").append(Trim(part)).append("'"));
    }
    std::size_t k = 0;
    while (k < shape->count && shape->keys[k].key != key) ++k;
    if (k == shape->count) {
      std::string known;
      for (std::size_t i = 0; i < shape->count; ++i) known.append(i == 0 ? "" : ", ").append(shape->keys[i].key);
      Reject(text, std::string("unknown key '").append(key).append("' of ").append(name).append(" (").append(known).append(")"));
    }
    if (given[k]) Reject(text, std::string("'").append(key).append("' is given twice"));
    given[k] = true;
    const std::string_view value = Trim(part.substr(equals + 1));
    const std::optional<double> number = ParseNumber(value, '.');
    if (!number) Reject(text, std::string(key).append(" '").append(value).append("' is not a number"));
    section.*shape->keys[k].value = *number;
    if (comma == std::string_view::npos) break;
    rest = rest.substr(comma + 1);
  }
  for (std::size_t k = 0; k < shape->count; ++k) {
    if (!given[k]) Reject(text, std::string("the ").append(shape->keys[k].key).append(" is missing"));
  }
  try {
    CheckDieSection(section);
  } catch (const DieInputError& error) {
    Reject(text, error.what());
  }
  return section;
}

std::vector<std::pair<std::string_view, double>> DieSectionDimensions(const DieSection& section) {
  const ShapeKeys& shape = KeysOf(section.shape);
  std::vector<std::pair<std::string_view, double>> dimensions;
  for (std::size_t k = 0; k < shape.count; ++k) dimensions.emplace_back(shape.keys[k].key, section.*shape.keys[k].value);
  return dimensions;
}

std::string DieSectionText(const DieSection& section) {
  std::string text(DieShapeName(section.shape));
  for (const auto& [key, value] : DieSectionDimensions(section)) {
    text.append(text.find(':') == std::string::npos ? ":" : ",").append(key).append("=");
    text += ExactNumberText(value, '.');
  }
  return text;
}

void CheckDieSection(const DieSection& section) {
  const ShapeKeys& shape = KeysOf(section.shape);
  for (std::size_t k = 0; k < shape.count; ++k) {
    if (!Positive(section.*shape.keys[k].value)) {
      throw DieInputError(std::string("the ").append(shape.keys[k].key).append(" must be a length above zero (cm)"));
    }
  }
  if (section.shape == DieShape::Slit && !(section.gap < section.width)) {
    throw DieInputError("the gap must be smaller than the width");
  }
  if (section.shape == DieShape::Annulus && !(section.inner < section.outer)) {
    throw DieInputError("the inner diameter must be smaller than the outer");
  }
}

std::string DieSectionWarning(const DieSection& section) {
  if (section.shape != DieShape::Slit || section.gap / section.width <= 0.05) return {};
  return DieSectionText(section) + ": the slit is only " + ExactNumberText(std::round(section.width / section.gap * 10) / 10, '.') +
         " times as wide as its gap; ignoring its side walls understates its pressure drop by about " +
         ExactNumberText(std::round(63 * section.gap / section.width), '.') + " %";
}

double PowerLawMelt::Viscosity(double shearRate, double temp) const {
  return stdViscosity * std::pow(shearRate / stdShearRate, powerIndex - 1) * std::exp(-tempCoeff * (temp - stdTemp));
}

PowerLawMelt MeltOfInputs(const InputTexts& inputs, char decimalSeparator) {
  PowerLawMelt melt;
  const struct {
    Field field;
    double PowerLawMelt::*value;
    bool positive;
  } fields[] = {
      {Field::StdViscosity, &PowerLawMelt::stdViscosity, true},
      {Field::StdShearRate, &PowerLawMelt::stdShearRate, true},
      {Field::StdTemp, &PowerLawMelt::stdTemp, false},
      {Field::PowerIndex, &PowerLawMelt::powerIndex, true},
      {Field::TempCoeff, &PowerLawMelt::tempCoeff, false},
      {Field::Density, &PowerLawMelt::density, true},
  };
  for (const auto& field : fields) {
    const std::optional<double> value = ParseNumber(inputs[field.field], decimalSeparator);
    if (!value || (field.positive && !(*value > 0))) {
      throw DieInputError(std::string(FieldInfo(field.field).caption)
                              .append(field.positive ? " must be a number above zero for the die, not '"
                                                     : " must be a number for the die, not '")
                              .append(inputs[field.field])
                              .append("'"));
    }
    melt.*field.value = *value;
  }
  return melt;
}

double VolumeRateOf(double outputKgPerHr, const PowerLawMelt& melt) { return outputKgPerHr / 3.6 / melt.density; }

Die::Die(std::vector<DieSection> sections, const PowerLawMelt& melt) : sections_(std::move(sections)), melt_(melt) {
  if (sections_.empty()) throw DieInputError("the die has no section");
  if (sections_.size() > kMaxDieSections) {
    throw DieInputError("the die has " + std::to_string(sections_.size()) + " sections; at most " +
                        std::to_string(kMaxDieSections) + " are taken");
  }
  if (!Positive(melt.powerIndex)) throw DieInputError("the power index n must be above zero");
  const double n = melt.powerIndex;
  for (const DieSection& s : sections_) {
    try {
      CheckDieSection(s);
    } catch (const DieInputError& error) {
      throw DieInputError(std::string("die section '").append(DieSectionText(s)).append("': ").append(error.what()));
    }
    switch (s.shape) {
      case DieShape::Circular: {
        const double apparent = 32 / (pi * s.diameter * s.diameter * s.diameter);
        shapes_.push_back({(3 * n + 1) / (4 * n) * apparent, apparent, 4 * s.length / s.diameter});
        break;
      }
      case DieShape::Slit: {
        const double apparent = 6 / (s.width * s.gap * s.gap);
        shapes_.push_back({(2 * n + 1) / (3 * n) * apparent, apparent, 2 * s.length / s.gap});
        break;
      }
      case DieShape::Annulus: {
        const double radius = s.outer / 2;
        const double gap = (s.outer - s.inner) / 2;
        const double width = pi * (s.outer + s.inner) / 2;
        const AnnulusSolution a = SolveAnnulus(s.inner / s.outer, n);
        shapes_.push_back({std::pow(a.wallStress, 1 / n) / (radius * radius * radius * a.flow),
                           6 / (width * gap * gap), 2 * s.length / (radius * a.wallStress)});
        break;
      }
    }
    const Shape& shape = shapes_.back();
    if (!Positive(shape.trueRatePerQ) || !Positive(shape.apparentRatePerQ) || !Positive(shape.dropPerStress)) {
      throw DieInputError(std::string("die section '").append(DieSectionText(s)).append("': its dimensions are beyond the range of numbers"));
    }
  }
}

DieFlow Die::FlowAt(double volumeRate, double meltTemp) const {
  DieFlow flow;
  const double q = std::fabs(volumeRate);
  for (const Shape& shape : shapes_) {
    SectionFlow& section = flow.sections.emplace_back();
    if (q == 0) continue;  // no flow, no drop: the viscosity at rest may be infinite
    section.wallShearRate = shape.trueRatePerQ * q;
    section.apparentShearRate = shape.apparentRatePerQ * q;
    const double stress = melt_.Viscosity(section.wallShearRate, meltTemp) * section.wallShearRate;
    section.pressureDrop = std::copysign(shape.dropPerStress * stress, volumeRate);
    flow.pressureDrop += section.pressureDrop;
  }
  return flow;
}

}  // namespace kelvado
