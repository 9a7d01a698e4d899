// SPDX-License-Identifier: Apache-2.0
#pragma once
// A fine reference for the momentum-consistent flow field of one step, computed by other
// means than solver/consistent_flow: the same equations on thousands of equal cells, shear
// rate at cell midpoints (pow, temperature interpolated linearly between the grid nodes),
// velocity summed cell by cell, throughput by the trapezoid rule over the velocity; Newton
// with a central-difference Jacobian and step halving on the residual norm. Used by the
// tests and by the reference program behind the flow-model picture (bench/flow_reference).
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "solver/calc_state.h"
#include "solver/lin_eq.h"

namespace kelvado::testing {

inline constexpr int kFineReferenceCells = 4000;

class FineFlowReference {
 public:
  // The unknowns (tau_z0, tau_x0, Gz, Gx) and the norm of the scaled residuals they leave.
  struct Solution {
    std::array<double, 4> p;
    double residual;
  };

  FineFlowReference(const CalcState& s, int cells) : s_(s), cells_(cells), h_(s.ChannelDepth / cells) {
    const double n = s.PowerIndex;
    for (int k = 0; k < cells; ++k) {
      const double y = (k + 0.5) * h_;
      const double pos = y / s.StepY;
      const int i = static_cast<int>(pos);
      const double t = s.Temp[i] + (s.Temp[i + 1] - s.Temp[i]) * (pos - i);
      const double m = s.StdViscosity * std::pow(s.StdShearRate, 1 - n) * std::exp(-s.TempCoeff * (t - s.StdTemp));
      consistency_.push_back(m);
    }
  }

  // Velocities at the cell edges for root stresses and gradients p = (tz0, tx0, Gz, Gx).
  void Velocities(const std::array<double, 4>& p, std::vector<double>& vz, std::vector<double>& vx) const {
    vz.assign(cells_ + 1, 0.0);
    vx.assign(cells_ + 1, 0.0);
    for (int k = 0; k < cells_; ++k) {
      const double y = (k + 0.5) * h_;
      const double tz = p[0] + p[2] * y, tx = p[1] + p[3] * y;
      const double tau = std::hypot(tz, tx);
      const double rate = tau > 0 ? std::pow(tau / consistency_[k], 1 / s_.PowerIndex) / tau : 0.0;
      vz[k + 1] = vz[k] + h_ * rate * tz;
      vx[k + 1] = vx[k] + h_ * rate * tx;
    }
  }

  std::array<double, 4> Residuals(const std::array<double, 4>& p) const {
    std::vector<double> vz, vx;
    Velocities(p, vz, vx);
    double qz = 0, qx = 0;
    for (int k = 0; k < cells_; ++k) {
      qz += 0.5 * h_ * (vz[k] + vz[k + 1]);
      qx += 0.5 * h_ * (vx[k] + vx[k + 1]);
    }
    const double vb = std::hypot(s_.BarrelSpeedZ, s_.BarrelSpeedX);
    const double H = s_.ChannelDepth;
    return {(vz[cells_] - s_.BarrelSpeedZ) / vb, (vx[cells_] - s_.BarrelSpeedX) / vb,
            (s_.ChannelWidth * qz - s_.VolumeRate) / (s_.ChannelWidth * H * vb), qx / (H * vb)};
  }

  // Solves from the state's own start: its gradients and node-0 stresses. Converged when
  // the residual is at most 1e-11.
  Solution Solve() const {
    std::array<double, 4> p{s_.Viscosity[0] * s_.ShearZ[0], s_.Viscosity[0] * s_.ShearX[0], s_.PressGradZ,
                            s_.PressGradX};
    std::array<double, 4> r = Residuals(p);
    auto jac = std::make_unique<LinMatrix>();  // 1-based, solved by the plain Gauss-Jordan solver
    LinVector rhs{}, dp{};
    for (int iter = 0; iter < 200 && Norm(r) > 1e-13; ++iter) {
      for (int c = 0; c < 4; ++c) {
        const double scale = c < 2 ? std::fabs(p[0]) + std::fabs(p[1]) : std::fabs(p[2]) + std::fabs(p[3]);
        const double d = 1e-6 * scale;
        auto plus = p, minus = p;
        plus[c] += d;
        minus[c] -= d;
        const auto rp = Residuals(plus), rm = Residuals(minus);
        for (int row = 0; row < 4; ++row) (*jac)[row + 1][c + 1] = (rp[row] - rm[row]) / (2 * d);
      }
      for (int row = 0; row < 4; ++row) rhs[row + 1] = -r[row];
      GaussSolve(*jac, rhs, dp, 4);
      for (double step = 1; step > 1e-12; step /= 2) {
        std::array<double, 4> trial;
        for (int c = 0; c < 4; ++c) trial[c] = p[c] + step * dp[c + 1];
        const auto rt = Residuals(trial);
        if (Norm(rt) < Norm(r)) {
          p = trial;
          r = rt;
          break;
        }
      }
    }
    return {p, Norm(r)};
  }

 private:
  static double Norm(const std::array<double, 4>& r) { return std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2] + r[3] * r[3]); }

  const CalcState& s_;
  int cells_;
  double h_;
  std::vector<double> consistency_;
};

}  // namespace kelvado::testing
