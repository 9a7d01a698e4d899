// SPDX-License-Identifier: Apache-2.0
#include "solver/batch_math.h"

#include <array>
#include "solver/fp_flags.h"
#include <cmath>
#include <numbers>

namespace kelvado {
namespace {

// The arctangent is taken about the nearest of the angles j pi / 16 of [0, pi / 4], so that
// its series runs in u^2 <= tan^2(pi / 32) < 0.0097, and exactly (u = t) next to 0.
struct Centres {
  std::array<double, 5> angle{}, tangent{};
  std::array<double, 4> bound{};  // tan((2j + 1) pi / 32): where the nearest centre changes
};

const Centres& TheCentres() {
  static const Centres c = [] {
    Centres r;
    for (int j = 0; j < 5; ++j) {
      r.angle[j] = j * std::numbers::pi / 16;
      r.tangent[j] = j == 0 ? 0.0 : j == 4 ? 1.0 : std::tan(r.angle[j]);
      if (j < 4) r.bound[j] = std::tan((2 * j + 1) * std::numbers::pi / 32);
    }
    return r;
  }();
  return c;
}

}  // namespace

// Eight values at a time where the processor has AVX-512, four with AVX2, two elsewhere; the
// same values either way.
__attribute__((target_clones("avx512f", "avx2", "default"))) void AsinOfRoots(int count, const double* x, double* out) {
  // Built to vectorise, the loop may work out both sides of a choice, one of them at an
  // operand the other side keeps out (1 / 0 at x = 1): the flags are left as they were found.
  const int raisedBefore = RaisedSolverFlags();
  const Centres& c = TheCentres();
  for (int k = 0; k < count; ++k) {
    const double clamped = x[k] < 0.0 ? 0.0 : (x[k] > 1.0 ? 1.0 : x[k]);
    // asin(sqrt(x)) = pi/2 - asin(sqrt(1 - x)): the smaller of the two, m <= 1/2, is taken,
    // and 1 - x is exact there.
    const bool upper = clamped > 0.5;
    const double m = upper ? 1.0 - clamped : clamped;
    const double t = std::sqrt(m / (1.0 - m));  // the tangent of asin(sqrt(m)), in [0, 1]
    // The nearest centre's tangent and angle, chosen without branches.
    double centreTan = 0.0, centre = 0.0;
    for (int j = 0; j < 4; ++j) {
      const bool beyond = t >= c.bound[j];
      centreTan = beyond ? c.tangent[j + 1] : centreTan;
      centre = beyond ? c.angle[j + 1] : centre;
    }
    const double u = (t - centreTan) / (1.0 + t * centreTan);
    const double u2 = u * u;
    double p = -1.0 / 19;
    p = p * u2 + 1.0 / 17;
    p = p * u2 - 1.0 / 15;
    p = p * u2 + 1.0 / 13;
    p = p * u2 - 1.0 / 11;
    p = p * u2 + 1.0 / 9;
    p = p * u2 - 1.0 / 7;
    p = p * u2 + 1.0 / 5;
    p = p * u2 - 1.0 / 3;
    const double angle = centre + (u + u * u2 * p);
    out[k] = upper ? std::numbers::pi / 2 - angle : angle;
  }
  if (const int raisedHere = RaisedSolverFlags() & ~raisedBefore) ClearSolverFlags(raisedHere);
}

// Eight values at a time where the processor has AVX-512, four with AVX2, two elsewhere; the
// same values either way. A non-positive span's division is by 1 instead, its result unused.
__attribute__((target_clones("avx512f", "avx2", "default"))) void PlacesOfLevels(
    int count, const double* __restrict target, const double* __restrict fromLevel, const double* __restrict toLevel,
    const double* __restrict from, const double* __restrict to, double* __restrict out) {
  for (int k = 0; k < count; ++k) {
    const double span = toLevel[k] - fromLevel[k];
    const double ratio = (target[k] - fromLevel[k]) / (span > 0 ? span : 1.0);
    const double clamped = ratio < 0.0 ? 0.0 : (1.0 < ratio ? 1.0 : ratio);
    const double frac = span > 0 ? clamped : 1.0;
    out[k] = from[k] + (to[k] - from[k]) * frac;
  }
}

}  // namespace kelvado
