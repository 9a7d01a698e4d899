// SPDX-License-Identifier: Apache-2.0
#include "solver/consistent_flow.h"

#include <algorithm>
#include <array>
#include <cfenv>
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
  double potentialFactor = 0;  // n / (n + 1)
  std::array<double, kMaxPoints> xi{};
  std::array<double, kMaxPoints> weight{};
  std::array<double, kMaxPoints> logFluidity{};
  // The four conditions' right-hand sides: Vbz, Vbx, Vbz - Q/(W H), Vbx.
  std::array<double, 4> target{};
};

// Unknowns u = (tau_z0, tau_x0, Gz H, Gx H), all stresses: tau_z = u0 + u2 xi, tau_x = u1 + u3 xi.
using Unknowns = std::array<double, 4>;

struct Evaluation {
  double potential = 0;
  double scale = 0;  // size of the potential's terms, for the rounding allowance
  std::array<double, 4> gradient{};  // the four conditions' residuals, cm/s
  std::array<double, 10> hessian{};  // upper triangle by rows: 00 01 02 03 11 12 13 22 23 33
  std::array<double, kProfileSize> intervalVelZ{};
  std::array<double, kProfileSize> intervalVelX{};
  // At every Gauss point; left uninitialised, as every point in use is written first.
  std::array<double, kMaxPoints> shearZ;
  std::array<double, kMaxPoints> shearX;
};

// The shear rate of stress (tz, tx) is phi * (tz, tx) with ln phi = p ln|tau| + L. Returns
// false (phi untouched) where that would overflow; phi = 0 where the stress is zero.
bool Fluidity(double t2, double power, double logFluidity, double& phi) {
  if (!(t2 <= kMaxSquare)) return false;
  if (t2 == 0) {
    phi = 0;
    return true;
  }
  const double exponent = 0.5 * power * std::log(t2) + logFluidity;
  if (!(exponent <= kMaxExponent)) return false;
  phi = std::exp(exponent);
  return true;
}

// The potential  Phi(u) = integral of n/(n+1) m^(-1/n) |tau|^(1+1/n) dy - u . target,  its
// gradient and Hessian at u. The gradient is (int gz - Vbz, int gx - Vbx, int xi gz - (Vbz -
// Q/(W H)), int xi gx - Vbx): barrel speeds, and with them Q/W = int (H - y) gz dy and
// int (H - y) gx dy = 0. Phi is strictly convex, so its one minimum solves the step.
// False if a point overflowed.
bool Evaluate(const StepQuadrature& q, const Unknowns& u, Evaluation& e) {
  double psi = 0;
  double vz = 0, vx = 0, mz = 0, mx = 0;
  // Moments sum w * xi^k * D of the 2x2 tangent D = phi (I + p tau tau^T / |tau|^2).
  double zz0 = 0, zz1 = 0, zz2 = 0, zx0 = 0, zx1 = 0, zx2 = 0, xx0 = 0, xx1 = 0, xx2 = 0;
  int k = 0;
  for (int i = 0; i < q.intervals; ++i) {
    double intervalZ = 0, intervalX = 0;
    for (int g = 0; g < kGaussPoints; ++g, ++k) {
      const double xi = q.xi[k];
      const double w = q.weight[k];
      const double tz = u[0] + u[2] * xi;
      const double tx = u[1] + u[3] * xi;
      const double t2 = tz * tz + tx * tx;
      double phi = 0;
      if (!Fluidity(t2, q.power, q.logFluidity[k], phi)) return false;
      const double gz = phi * tz;
      const double gx = phi * tx;
      e.shearZ[k] = gz;
      e.shearX[k] = gx;
      intervalZ += w * gz;
      intervalX += w * gx;
      mz += w * xi * gz;
      mx += w * xi * gx;
      psi += w * phi * t2;
      const double c = t2 > 0 ? q.power / t2 : 0.0;
      const double dzz = w * phi * (1 + c * tz * tz);
      const double dzx = w * phi * (c * tz * tx);
      const double dxx = w * phi * (1 + c * tx * tx);
      zz0 += dzz;
      zz1 += dzz * xi;
      zz2 += dzz * xi * xi;
      zx0 += dzx;
      zx1 += dzx * xi;
      zx2 += dzx * xi * xi;
      xx0 += dxx;
      xx1 += dxx * xi;
      xx2 += dxx * xi * xi;
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
  e.hessian = {zz0, zx0, zz1, zx1, xx0, zx1, xx1, zz2, zx2, xx2};
  return std::isfinite(e.potential) && std::isfinite(vz) && std::isfinite(vx) &&
         std::isfinite(mz) && std::isfinite(mx);
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
  for (const double r : e.gradient) largest = std::fmax(largest, std::fabs(r));
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
  q.potentialFactor = n / (n + 1.0);
  // -ln m / n at the nodes; linear in the temperature, so linear inside an interval.
  const double logK = std::log(s.StdViscosity) + (1.0 - n) * std::log(s.StdShearRate);
  int k = 0;
  for (int i = 0; i < s.NDiv; ++i) {
    const double l0 = -(logK - s.TempCoeff * (s.Temp[i] - s.StdTemp)) / n;
    const double l1 = -(logK - s.TempCoeff * (s.Temp[i + 1] - s.StdTemp)) / n;
    for (int g = 0; g < kGaussPoints; ++g, ++k) {
      q.xi[k] = (i + kGaussAt[g]) * s.StepY / depth;
      q.weight[k] = kGaussWeight[g] * s.StepY;
      q.logFluidity[k] = s.GaussTempSet == 1 ? -(logK - s.TempCoeff * (s.GaussTemp[k] - s.StdTemp)) / n
                                             : l0 + (l1 - l0) * kGaussAt[g];
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
  double velZ = 0, velX = 0;
  for (int j = 0; j <= s.NDiv; ++j) {
    if (j > 0) {
      velZ += e.intervalVelZ[j - 1];
      velX += e.intervalVelX[j - 1];
    }
    const double xi = j * s.StepY / depth;
    const double tz = u[0] + u[2] * xi;
    const double tx = u[1] + u[3] * xi;
    const double t2 = tz * tz + tx * tx;
    const double logM = logK - s.TempCoeff * (s.Temp[j] - s.StdTemp);
    double phi = 0;
    if (!Fluidity(t2, q.power, -logM / n, phi)) phi = 0;  // cannot happen at a solution
    s.ShearZ[j] = phi * tz;
    s.ShearX[j] = phi * tx;
    s.VelZ[j] = velZ;
    s.VelX[j] = velX;
    // 1 / phi, unless the stress vanishes (or nearly): then the law at the standard rate.
    const bool finiteInverse = phi > 0 && -std::log(phi) <= kMaxExponent;
    const double atStdRate = std::exp(logM + (n - 1.0) * std::log(s.StdShearRate));
    s.Viscosity[j] = finiteInverse ? 1.0 / phi : std::fmin(atStdRate, std::numeric_limits<double>::max());
  }
}

}  // namespace

bool SolveConsistentFlowField(CalcState& s) {
  std::fexcept_t savedFlags;
  std::fegetexceptflag(&savedFlags, FE_ALL_EXCEPT);

  const double depth = s.NDiv * s.StepY;
  const StepQuadrature q = BuildQuadrature(s, depth);
  const double speedScale = std::hypot(s.BarrelSpeedZ, s.BarrelSpeedX) +
                            std::fabs(s.VolumeRate / (s.ChannelWidth * depth));

  // Warm start: this state's gradients and the root stresses of its node-0 profiles.
  const Unknowns warm{s.Viscosity[0] * s.ShearZ[0], s.Viscosity[0] * s.ShearX[0],
                      s.PressGradZ * depth, s.PressGradX * depth};
  const Unknowns starts[2] = {warm, NewtonianStart(s, q, depth, speedScale)};

  Evaluation buffers[2];
  Evaluation* current = &buffers[0];
  Evaluation* trial = &buffers[1];
  int iterations = 0;
  bool solved = false;
  Unknowns u{};
  for (const Unknowns& start : starts) {
    u = start;
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
  std::fesetexceptflag(&savedFlags, FE_ALL_EXCEPT);
  return solved;
}

}  // namespace kelvado
