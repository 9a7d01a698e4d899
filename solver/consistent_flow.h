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

// Newton iterations one start may take before the step tries its next start or gives up.
inline constexpr int kConsistentFlowIterCap = 200;

// Builds the step's flow field from s.Temp[0..NDiv] (node j at depth j * StepY; the
// temperature, and so ln m, is linear inside each interval, integrated with three Gauss
// points per interval). Unknowns: the root stresses tau_z0, tau_x0 and the gradients Gz, Gx;
// they are the minimiser of a strictly convex potential whose gradient is the four
// conditions, found by Newton's method (analytic Hessian) with a backtracking line search,
// from the state's PressGradZ/X and the root stresses its node-0 profiles carry, then, if
// that fails, from the Newtonian solution.
//
// On success writes PressGradZ, PressGradX and, per node, ShearZ, ShearX, VelZ, VelX and
// Viscosity (= |tau| / |shear rate|; where both vanish, the law's viscosity at the standard
// shear rate, so the viscous heating is 0), and ClosureIter = the Newton iterations taken.
// Returns false, touching no profile or gradient, when it does not converge within
// kConsistentFlowIterCap iterations from either start. Leaves the floating-point flags as it found them.
bool SolveConsistentFlowField(CalcState& state);

}  // namespace kelvado
