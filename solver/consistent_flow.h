// SPDX-License-Identifier: Apache-2.0
#pragma once
// The momentum-consistent flow field of one down-channel step: shear stresses linear in
// depth, the shear-rate vector along the stress vector through the temperature-dependent
// power law, and the four conditions of the step (barrel speeds, throughput, no net cross
// flow) met to a tight tolerance.

namespace kelvado {

struct CalcState;

namespace messages {
inline constexpr const char* kConsistentFlowNotConverged =
    "This case does not converge: the consistent flow model found no pressure gradients "
    "that give the barrel speeds and the output.";
}  // namespace messages

// Where the flow field is evaluated inside each depth interval: the three-point Gauss rule,
// at the interval's middle and sqrt(3/5)/2 of the interval either side of it.
inline constexpr int kFlowGaussPoints = 3;
inline constexpr double kFlowGaussSpread = 0.38729833462074168852;

// Newton iterations one start may take before the step tries its next start or gives up.
inline constexpr int kConsistentFlowIterCap = 200;

// Builds the step's flow field from s.Temp[0..NDiv], node j at depth y = j * StepY:
//   tau_z = tau_z0 + Gz y,  tau_x = tau_x0 + Gx y,
//   shear rate = (|tau| / m(T))^(1/n) along tau,  m(T) = eta0 gamma0^(1-n) exp(-b (T - T0)),
//   velocity = the integral of the shear rate from rest at the root.
// The temperature (and so ln m) is linear inside each interval, integrated with three Gauss
// points per interval. The four unknowns tau_z0, tau_x0, Gz, Gx make the velocity at the
// barrel the barrel's, down and across the channel, carry VolumeRate through the width
// ChannelWidth and no net cross flow. Those conditions are the gradient of a strictly convex
// potential, minimised by Newton's method (analytic Hessian) with a backtracking line search
// until each holds to 1e-11 of the speed scale: first from the state's PressGradZ/X and the
// root stresses its node-0 profiles carry (Viscosity[0] * ShearZ[0], * ShearX[0]), i.e. the
// previous step's solution, or the Newtonian start on the first step; if that fails, from the
// Newtonian solution for the step's mean consistency.
//
// On success writes PressGradZ, PressGradX, RootStressZ/X, the shear rates at the Gauss
// points (GaussShearZ/X, three an interval, at (i + 1/2 -+ sqrt(3/5)/2) StepY and
// (i + 1/2) StepY) and, per node, ShearZ, ShearX (signed
// components), VelZ, VelX and Viscosity (= |tau| / |shear rate|; where the stress vanishes,
// the law's viscosity at the standard shear rate, so the viscous heating is 0). Sets
// ClosureIter to the Newton iterations of this step and adds them to TotalClosurePasses, also
// when it fails. Returns false, with no profile or gradient touched, when neither start
// converges within kConsistentFlowIterCap iterations. Never throws; leaves the
// floating-point flags as it found them.
bool SolveConsistentFlowField(CalcState& state);

}  // namespace kelvado
