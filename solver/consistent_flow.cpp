// SPDX-License-Identifier: Apache-2.0
#include "solver/consistent_flow.h"

#include <algorithm>
#include <array>
#include <bit>
#include "solver/fp_flags.h"
#include <cstdint>
#include <cmath>
#include <limits>

#include "solver/calc_state.h"

namespace kelvado {
namespace {

// Three-point Gauss-Legendre rule on [0, 1]: positions and weights.
constexpr int kGaussPoints = kFlowGaussPoints;
constexpr double kGaussSpread = kFlowGaussSpread;
constexpr std::array<double, kGaussPoints> kGaussAt{0.5 - kGaussSpread, 0.5, 0.5 + kGaussSpread};
constexpr std::array<double, kGaussPoints> kGaussWeight{5.0 / 18.0, 8.0 / 18.0, 5.0 / 18.0};
constexpr int kMaxPoints = (kProfileSize - 1) * kGaussPoints;

// The four conditions hold to this fraction of the speed scale.
constexpr double kTolerance = 1e-11;
// A trial whose exp would exceed e^700, or whose squared stress exceeds this, is rejected.
constexpr double kMaxExponent = 700.0;
constexpr double kMaxSquare = 1e300;
constexpr double kArmijo = 1e-4;
constexpr double kMinStep = 1.0 / 1099511627776.0;  // 2^-40
// Potential differences below this fraction of its terms are rounding, not an increase.
constexpr double kPotentialNoise = 1e-13;

// The step's quadrature: depth fraction xi = y / H, weight (cm), and the log of the
// fluidity factor, -ln m / n, for every Gauss point; fixed while the step is solved.
struct StepQuadrature {
  int intervals = 0;
  double power = 0;  // 1/n - 1
  double halfPower = 0;
  double potentialFactor = 0;  // n / (n + 1)
  // Only the first intervals * kGaussPoints are written and read.
  std::array<double, kMaxPoints> xi;
  std::array<double, kMaxPoints> weight;
  std::array<double, kMaxPoints> logFluidity;
  // The four conditions' right-hand sides: Vbz, Vbx, Vbz - Q/(W H), Vbx.
  std::array<double, 4> target{};
};

// Unknowns u = (tau_z0, tau_x0, Gz H, Gx H), all stresses: tau_z = u0 + u2 xi, tau_x = u1 + u3 xi.
using Unknowns = std::array<double, 4>;

struct Evaluation {
  double potential = 0;
  double scale = 0;  // size of the potential's terms, for the rounding allowance
  std::array<double, 4> gradient{};  // the four conditions' residuals, cm/s
  std::array<double, 10> hessian{};  // upper triangle by rows: 00 01 02 03 11 12 13 22 23 33 (on demand)
  // Per interval and at every Gauss point; left uninitialised, as every one in use is written first.
  std::array<double, kProfileSize> intervalVelZ;
  std::array<double, kProfileSize> intervalVelX;
  std::array<double, kMaxPoints> shearZ;
  std::array<double, kMaxPoints> shearX;
  // The stresses, their squares and the fluidities, for the Hessian.
  std::array<double, kMaxPoints> tauZ, tauX, t2, phi;
};

// ln x for a finite x > 0 and e^x for x <= kMaxExponent, written without branches or library
// calls so that the loops over all Gauss points vectorise. Both are within a few units in the
// last place of the library's (e^x is 0 below -708, where the library's is subnormal).
constexpr double kLn2Hi = 6.93147180369123816490e-01;  // ln 2 with its low 32 bits zero
constexpr double kLn2Lo = 1.90821492927058770002e-10;

inline double LogOf(double x) {
  // x = 2^k z with z in [sqrt(1/2), sqrt(2)); a subnormal x is scaled by 2^64 first.
  // Both sides of each choice are worked out first, so that it is a select the loops vectorise.
  const bool tiny = x < std::numeric_limits<double>::min();
  const double scaled = x * 0x1p64;
  const std::uint64_t ix = std::bit_cast<std::uint64_t>(tiny ? scaled : x);
  constexpr std::uint64_t kHalfRoot2 = 0x3fe6a09e667f3bcdULL;
  const std::uint64_t top = (ix - kHalfRoot2 + (1024ULL << 52)) >> 52;  // k + 1024
  const double k = std::bit_cast<double>(top | 0x4330000000000000ULL) - (0x1p52 + 1024.0) - (tiny ? 64.0 : 0.0);
  const double z = std::bit_cast<double>(ix - ((top - 1024) << 52));
  // ln z = 2 atanh(f) = 2 f (1 + s/3 + s^2/5 + ...), f = (z - 1) / (z + 1), s = f^2 < 0.0295;
  // the series to s^10 (the rest below 1e-18), by pairs and powers of s (Estrin's scheme):
  // a short chain of dependent operations where Horner's term after term is a long one.
  const double f = (z - 1.0) / (z + 1.0);
  const double sq = f * f;
  const double s2 = sq * sq;
  const double s4 = s2 * s2;
  const double a0 = 1.0 / 3 + sq * (1.0 / 5), a1 = 1.0 / 7 + sq * (1.0 / 9), a2 = 1.0 / 11 + sq * (1.0 / 13);
  const double a3 = 1.0 / 15 + sq * (1.0 / 17), a4 = 1.0 / 19 + sq * (1.0 / 21);
  const double p = (a0 + s2 * a1) + s4 * ((a2 + s2 * a3) + s4 * a4);
  const double twoF = 2.0 * f;
  return k * kLn2Hi + (twoF + twoF * sq * p + k * kLn2Lo);
}

inline double ExpOf(double x) {
  // e^x = 2^k e^r, |r| <= ln2 / 2, e^r by its Taylor series to r^13 (the rest below 1e-17),
  // by pairs and powers of r as ln's.
  const double xc = x < -708.0 ? -708.0 : x;
  constexpr double kShift = 0x1.8p52;  // adding it rounds to an integer held in the low bits
  const double shifted = xc * 1.4426950408889634 + kShift;
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(shifted);
  const double k = shifted - kShift;
  const double r = (xc - k * kLn2Hi) - k * kLn2Lo;
  const double r2 = r * r;
  const double r4 = r2 * r2;
  const double r8 = r4 * r4;
  const double a0 = 1.0 + r, a1 = 0.5 + r * (1.0 / 6), a2 = 1.0 / 24 + r * (1.0 / 120);
  const double a3 = 1.0 / 720 + r * (1.0 / 5040), a4 = 1.0 / 40320 + r * (1.0 / 362880);
  const double a5 = 1.0 / 3628800 + r * (1.0 / 39916800), a6 = 1.0 / 479001600 + r * (1.0 / 6227020800);
  const double p = ((a0 + r2 * a1) + r4 * (a2 + r2 * a3)) + r8 * ((a4 + r2 * a5) + r4 * a6);
  const double value = p * std::bit_cast<double>((bits + 1023) << 52);  // times 2^k
  return x < -708.0 ? 0.0 : value;
}

// The stresses tau = (u0 + u2 xi, u1 + u3 xi) at the given depth fractions, their squares t2
// and phi = |tau|^p / m^(1/n): ln phi = p ln|tau| + L. False where a stress or phi would
// overflow; phi = 0 where the stress is zero.
// Eight points at a time where the processor has AVX-512, four with AVX2, two elsewhere; the
// same values either way.
__attribute__((target_clones("avx512f", "avx2", "default"))) bool Fluidities(
    int points, double halfPower, const Unknowns& u, const double* __restrict xi, const double* __restrict logFluidity,
    double* __restrict tauZ, double* __restrict tauX, double* __restrict t2, double* __restrict exponent,
    double* __restrict phi) {
  for (int k = 0; k < points; ++k) {
    tauZ[k] = u[0] + u[2] * xi[k];
    tauX[k] = u[1] + u[3] * xi[k];
    t2[k] = tauZ[k] * tauZ[k] + tauX[k] * tauX[k];
  }
  // Counted in integers, which vectorise (an "or" of bools does not).
  int overflow = 0;
  for (int k = 0; k < points; ++k) overflow |= t2[k] <= kMaxSquare ? 0 : 1;
  if (overflow != 0) return false;
  for (int k = 0; k < points; ++k) exponent[k] = halfPower * LogOf(t2[k] > 0 ? t2[k] : 1.0) + logFluidity[k];
  // exp works out every point's, so a zero stress's exponent must stay finite.
  for (int k = 0; k < points; ++k) overflow |= (t2[k] > 0 ? 1 : 0) & (exponent[k] <= kMaxExponent ? 0 : 1);
  if (overflow != 0) return false;
  for (int k = 0; k < points; ++k) {
    const double value = ExpOf(exponent[k]);
    phi[k] = t2[k] > 0 ? value : 0.0;
  }
  return true;
}

// Every Gauss point's shear rates and its terms of the speeds', the flows' and the
// potential's sums; then, only where a Newton step follows, its terms of the Hessian's.
struct GradientTerms {
  std::array<double, kMaxPoints> wgz, wgx, mzt, mxt, psit;
};
struct HessianTerms {
  std::array<double, kMaxPoints> zz0t, zz1t, zz2t, zx0t, zx1t, zx2t, xx0t, xx1t, xx2t;
};

// Eight points at a time where the processor has AVX-512, four with AVX2, two elsewhere; the
// same values either way.
__attribute__((target_clones("avx512f", "avx2", "default"))) void TermsOfGradient(
    int points, const double* __restrict xiAt, const double* __restrict weight, const double* __restrict tauZ,
    const double* __restrict tauX, const double* __restrict t2, const double* __restrict phi,
    double* __restrict shearZ, double* __restrict shearX, GradientTerms& __restrict t) {
  for (int k = 0; k < points; ++k) {
    const double xi = xiAt[k];
    const double w = weight[k];
    const double gz = phi[k] * tauZ[k];
    const double gx = phi[k] * tauX[k];
    shearZ[k] = gz;
    shearX[k] = gx;
    t.wgz[k] = w * gz;
    t.wgx[k] = w * gx;
    t.mzt[k] = w * xi * gz;
    t.mxt[k] = w * xi * gx;
    t.psit[k] = w * phi[k] * t2[k];
  }
}

__attribute__((target_clones("avx512f", "avx2", "default"))) void TermsOfHessian(
    int points, double power, const double* __restrict xiAt, const double* __restrict weight,
    const double* __restrict tauZ, const double* __restrict tauX, const double* __restrict t2,
    const double* __restrict phi, HessianTerms& __restrict t) {
  for (int k = 0; k < points; ++k) {
    const double xi = xiAt[k];
    const double w = weight[k];
    const double tz = tauZ[k];
    const double tx = tauX[k];
    const double inverse = power / t2[k];  // the flags are restored after the solve
    const double c = t2[k] > 0 ? inverse : 0.0;
    const double wPhi = w * phi[k];
    const double dzz = wPhi * (1 + c * tz * tz);
    const double dzx = wPhi * (c * tz * tx);
    const double dxx = wPhi * (1 + c * tx * tx);
    t.zz0t[k] = dzz;
    t.zz1t[k] = dzz * xi;
    t.zz2t[k] = dzz * xi * xi;
    t.zx0t[k] = dzx;
    t.zx1t[k] = dzx * xi;
    t.zx2t[k] = dzx * xi * xi;
    t.xx0t[k] = dxx;
    t.xx1t[k] = dxx * xi;
    t.xx2t[k] = dxx * xi * xi;
  }
}

// The potential  Phi(u) = integral of n/(n+1) m^(-1/n) |tau|^(1+1/n) dy - u . target  and its
// gradient at u, keeping what the Hessian needs. The gradient is (int gz - Vbz, int gx - Vbx,
// int xi gz - (Vbz - Q/(W H)), int xi gx - Vbx): barrel speeds, and with them
// Q/W = int (H - y) gz dy and int (H - y) gx dy = 0. Phi is strictly convex, so its one
// minimum solves the step. False if a point overflowed.
bool Evaluate(const StepQuadrature& q, const Unknowns& u, Evaluation& e) {
  const int points = q.intervals * kGaussPoints;
  std::array<double, kMaxPoints> exponent;
  if (!Fluidities(points, q.halfPower, u, q.xi.data(), q.logFluidity.data(), e.tauZ.data(), e.tauX.data(),
                  e.t2.data(), exponent.data(), e.phi.data())) {
    return false;
  }
  // Every point's terms first, in a loop that vectorises; then the sums, point by point in
  // depth order as ever.
  GradientTerms t;
  TermsOfGradient(points, q.xi.data(), q.weight.data(), e.tauZ.data(), e.tauX.data(), e.t2.data(), e.phi.data(),
                  e.shearZ.data(), e.shearX.data(), t);
  double psi = 0;
  double vz = 0, vx = 0, mz = 0, mx = 0;
  int k = 0;
  for (int i = 0; i < q.intervals; ++i) {
    double intervalZ = 0, intervalX = 0;
    for (int g = 0; g < kGaussPoints; ++g, ++k) {
      intervalZ += t.wgz[k];
      intervalX += t.wgx[k];
      mz += t.mzt[k];
      mx += t.mxt[k];
      psi += t.psit[k];
    }
    e.intervalVelZ[i] = intervalZ;
    e.intervalVelX[i] = intervalX;
    vz += intervalZ;
    vx += intervalX;
  }
  psi *= q.potentialFactor;
  double linear = 0, linearSize = 0;
  for (int a = 0; a < 4; ++a) {
    linear += u[a] * q.target[a];
    linearSize += std::fabs(u[a] * q.target[a]);
  }
  e.potential = psi - linear;
  e.scale = psi + linearSize;
  e.gradient = {vz - q.target[0], vx - q.target[1], mz - q.target[2], mx - q.target[3]};
  return std::isfinite(e.potential) && std::isfinite(vz) && std::isfinite(vx) &&
         std::isfinite(mz) && std::isfinite(mx);
}

// The Hessian at the point e was evaluated at: the moments sum w * xi^k * D of the 2x2
// tangent D = phi (I + p tau tau^T / |tau|^2).
void EvaluateHessian(const StepQuadrature& q, Evaluation& e) {
  const int points = q.intervals * kGaussPoints;
  HessianTerms t;
  TermsOfHessian(points, q.power, q.xi.data(), q.weight.data(), e.tauZ.data(), e.tauX.data(), e.t2.data(),
                 e.phi.data(), t);
  double zz0 = 0, zz1 = 0, zz2 = 0, zx0 = 0, zx1 = 0, zx2 = 0, xx0 = 0, xx1 = 0, xx2 = 0;
  for (int k = 0; k < points; ++k) {
    zz0 += t.zz0t[k];
    zz1 += t.zz1t[k];
    zz2 += t.zz2t[k];
    zx0 += t.zx0t[k];
    zx1 += t.zx1t[k];
    zx2 += t.zx2t[k];
    xx0 += t.xx0t[k];
    xx1 += t.xx1t[k];
    xx2 += t.xx2t[k];
  }
  e.hessian = {zz0, zx0, zz1, zx1, xx0, zx1, xx1, zz2, zx2, xx2};
}

// Solves H d = -g by Cholesky; false if H is not numerically positive definite.
bool NewtonDirection(const Evaluation& e, Unknowns& d) {
  const auto& h = e.hessian;
  const int row[4] = {0, 4, 7, 9};  // where row r's diagonal sits in the packed triangle
  double a[4][4];
  for (int r = 0; r < 4; ++r) {
    for (int c = r; c < 4; ++c) a[r][c] = a[c][r] = h[row[r] + (c - r)];
  }
  double l[4][4] = {};
  for (int c = 0; c < 4; ++c) {
    double diag = a[c][c];
    for (int k = 0; k < c; ++k) diag -= l[c][k] * l[c][k];
    if (!(diag > 0) || !std::isfinite(diag)) return false;
    l[c][c] = std::sqrt(diag);
    for (int r = c + 1; r < 4; ++r) {
      double v = a[r][c];
      for (int k = 0; k < c; ++k) v -= l[r][k] * l[c][k];
      l[r][c] = v / l[c][c];
    }
  }
  double y[4];
  for (int r = 0; r < 4; ++r) {
    double v = -e.gradient[r];
    for (int k = 0; k < r; ++k) v -= l[r][k] * y[k];
    y[r] = v / l[r][r];
  }
  for (int r = 3; r >= 0; --r) {
    double v = y[r];
    for (int k = r + 1; k < 4; ++k) v -= l[k][r] * d[k];
    d[r] = v / l[r][r];
  }
  for (const double v : d) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

double LargestResidual(const Evaluation& e) {
  double largest = 0;
  for (const double r : e.gradient) largest = std::fabs(r) > largest ? std::fabs(r) : largest;  // fmax, inline
  return largest;
}

// Damped Newton from u, at most kConsistentFlowIterCap iterations (added to `iterations`).
// On success u is the solution and `current` its evaluation.
bool Minimise(const StepQuadrature& q, double speedScale, Unknowns& u, Evaluation*& current,
              Evaluation*& trial, int& iterations) {
  if (!Evaluate(q, u, *current)) return false;
  for (int taken = 0; LargestResidual(*current) > kTolerance * speedScale; ++taken) {
    if (taken >= kConsistentFlowIterCap) return false;
    ++iterations;
    Unknowns d{};
    EvaluateHessian(q, *current);
    if (!NewtonDirection(*current, d)) return false;
    double slope = 0;
    for (int a = 0; a < 4; ++a) slope += current->gradient[a] * d[a];
    for (double step = 1.0;; step *= 0.5) {
      if (step < kMinStep) return false;
      Unknowns next;
      for (int a = 0; a < 4; ++a) next[a] = u[a] + step * d[a];
      if (!Evaluate(q, next, *trial)) continue;
      const double allowed = current->potential + kArmijo * step * slope +
                             kPotentialNoise * (current->scale + trial->scale);
      if (trial->potential <= allowed) {
        u = next;
        std::swap(current, trial);
        break;
      }
    }
  }
  return true;
}

StepQuadrature BuildQuadrature(const CalcState& s, double depth) {
  StepQuadrature q;
  const double n = s.PowerIndex;
  q.intervals = s.NDiv;
  q.power = 1.0 / n - 1.0;
  q.halfPower = 0.5 * q.power;
  q.potentialFactor = n / (n + 1.0);
  // -ln m / n at the nodes; linear in the temperature, so linear inside an interval.
  const double logK = std::log(s.StdViscosity) + (1.0 - n) * std::log(s.StdShearRate);
  const int points = s.NDiv * kGaussPoints;
  std::array<double, kMaxPoints> at;  // i + the Gauss point's place in interval i
  for (int i = 0, k = 0; i < s.NDiv; ++i) {
    for (int g = 0; g < kGaussPoints; ++g, ++k) {
      at[k] = i + kGaussAt[g];
      q.weight[k] = kGaussWeight[g] * s.StepY;
    }
  }
  for (int k = 0; k < points; ++k) q.xi[k] = at[k] * s.StepY / depth;
  if (s.GaussTempSet == 1) {
    for (int k = 0; k < points; ++k) q.logFluidity[k] = -(logK - s.TempCoeff * (s.GaussTemp[k] - s.StdTemp)) / n;
  } else {
    for (int i = 0, k = 0; i < s.NDiv; ++i) {
      const double l0 = -(logK - s.TempCoeff * (s.Temp[i] - s.StdTemp)) / n;
      const double l1 = -(logK - s.TempCoeff * (s.Temp[i + 1] - s.StdTemp)) / n;
      for (int g = 0; g < kGaussPoints; ++g, ++k) q.logFluidity[k] = l0 + (l1 - l0) * kGaussAt[g];
    }
  }
  const double drag = s.BarrelSpeedZ - s.VolumeRate / (s.ChannelWidth * depth);
  q.target = {s.BarrelSpeedZ, s.BarrelSpeedX, drag, s.BarrelSpeedX};
  return q;
}

// The Newtonian flat-plate solution for the viscosity of the mean fluidity at the speed
// scale: root stresses and gradients times the depth.
Unknowns NewtonianStart(const CalcState& s, const StepQuadrature& q, double depth, double speedScale) {
  double meanLog = 0;
  for (int k = 0; k < q.intervals * kGaussPoints; ++k) meanLog += q.logFluidity[k] * q.weight[k];
  meanLog /= depth;
  // eta = m (V/H)^(n-1) with ln m = -n * meanLog.
  const double n = s.PowerIndex;
  const double eta = std::exp(-n * meanLog + (n - 1.0) * std::log(speedScale / depth));
  const double flow = s.VolumeRate / (s.ChannelWidth * depth);
  const double vbz = s.BarrelSpeedZ, vbx = s.BarrelSpeedX;
  return {eta * (6 * flow - 2 * vbz) / depth, -2 * eta * vbx / depth,
          6 * eta * (vbz - 2 * flow) / depth, 6 * eta * vbx / depth};
}

// The profiles at the nodes for the solved unknowns.
void WriteProfiles(CalcState& s, const StepQuadrature& q, const Unknowns& u, const Evaluation& e,
                   double depth) {
  const double n = s.PowerIndex;
  const double logK = std::log(s.StdViscosity) + (1.0 - n) * std::log(s.StdShearRate);
  s.RootStressZ = u[0];
  s.RootStressX = u[1];
  const int points = s.NDiv * kGaussPoints;
  std::copy(e.shearZ.begin(), e.shearZ.begin() + points, s.GaussShearZ.begin());
  std::copy(e.shearX.begin(), e.shearX.begin() + points, s.GaussShearX.begin());
  const int nodes = s.NDiv + 1;
  std::array<double, kProfileSize> xi, logFluidity, tauZ, tauX, t2, exponent, phi;  // nodes 0..NDiv
  for (int j = 0; j < nodes; ++j) {
    xi[j] = j * s.StepY / depth;
    logFluidity[j] = -(logK - s.TempCoeff * (s.Temp[j] - s.StdTemp)) / n;
  }
  // Cannot overflow at a solution; if it did, every node's rate would read 0.
  if (!Fluidities(nodes, q.halfPower, u, xi.data(), logFluidity.data(), tauZ.data(), tauX.data(), t2.data(),
                  exponent.data(), phi.data())) {
    phi.fill(0);
  }
  // 1 / phi, unless the stress vanishes (or nearly, phi below e^-700): then the law at the
  // standard rate.
  static const double smallestFluidity = std::exp(-kMaxExponent);
  double velZ = 0, velX = 0;
  for (int j = 0; j < nodes; ++j) {
    if (j > 0) {
      velZ += e.intervalVelZ[j - 1];
      velX += e.intervalVelX[j - 1];
    }
    s.ShearZ[j] = phi[j] * tauZ[j];
    s.ShearX[j] = phi[j] * tauX[j];
    s.VelZ[j] = velZ;
    s.VelX[j] = velX;
    if (phi[j] >= smallestFluidity) {
      s.Viscosity[j] = 1.0 / phi[j];
    } else {
      const double logM = logK - s.TempCoeff * (s.Temp[j] - s.StdTemp);
      const double atStdRate = std::exp(logM + (n - 1.0) * std::log(s.StdShearRate));
      s.Viscosity[j] = std::fmin(atStdRate, std::numeric_limits<double>::max());
    }
  }
}

}  // namespace

bool SolveConsistentFlowField(CalcState& s) {
  // The flags raised before stay; those the solve raises are cleared (rarely any but inexact,
  // which a run has long raised): testing is cheap, saving and restoring them is not.
  const int raisedBefore = RaisedSolverFlags();

  const double depth = s.NDiv * s.StepY;
  const StepQuadrature q = BuildQuadrature(s, depth);
  const double speedScale = std::hypot(s.BarrelSpeedZ, s.BarrelSpeedX) +
                            std::fabs(s.VolumeRate / (s.ChannelWidth * depth));

  // Warm start: this state's gradients and the root stresses of its node-0 profiles.
  const Unknowns warm{s.Viscosity[0] * s.ShearZ[0], s.Viscosity[0] * s.ShearX[0],
                      s.PressGradZ * depth, s.PressGradX * depth};

  Evaluation buffers[2];
  Evaluation* current = &buffers[0];
  Evaluation* trial = &buffers[1];
  int iterations = 0;
  bool solved = false;
  Unknowns u{};
  for (int attempt = 0; attempt < 2; ++attempt) {
    // The Newtonian start only where the warm one failed.
    u = attempt == 0 ? warm : NewtonianStart(s, q, depth, speedScale);
    bool finite = true;
    for (const double v : u) finite = finite && std::isfinite(v);
    if (finite && Minimise(q, speedScale, u, current, trial, iterations)) {
      solved = true;
      break;
    }
  }
  s.ClosureIter = iterations;
  s.TotalClosurePasses += iterations;
  if (solved) {
    s.PressGradZ = u[2] / depth;
    s.PressGradX = u[3] / depth;
    WriteProfiles(s, q, u, *current, depth);
  }
  if (const int raisedHere = RaisedSolverFlags() & ~raisedBefore) ClearSolverFlags(raisedHere);
  return solved;
}

}  // namespace kelvado
