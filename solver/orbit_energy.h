// SPDX-License-Identifier: Apache-2.0
#pragma once
// The consistent model's energy balance, carried by the orbits of the cross-channel
// circulation.
//
// The melt does not keep its depth: it crosses the channel in one layer, turns at the flight
// and comes back in the other. The depth y_l in the lower layer and the depth y_u in the upper
// one with the same cross-channel stream function psi(y) = integral of u dy from the root lie
// on one orbit, and a melt's cross-channel Peclet number (of order 1e4) lets each orbit keep
// one temperature. An orbit moves down the channel with the down-channel flow of its two
// strips, which is positive on every orbit whenever there is throughput, so the march is
// well-posed also where the melt near the root flows backwards (where a march at fixed depth
// is a backward heat equation).
//
// Discretisation: kOrbitCells orbit cells between the walls (psi = 0) and the centre of the
// circulation, with edges at the normalised stream function sin^2(pi i / 2M): equal steps
// in depth next to the root and round the centre, where psi is quadratic in depth, finer
// next to the barrel, where it is linear. Each cell's down-channel flow, viscous heating and
// its conductances to its neighbours (k over the distance of the cell centres in each layer,
// both layers in parallel) are integrated over its two strips on a fine sub-grid of the
// step's flow field, the heating by parts so that it adds up to the barrel's work less the
// pressure's; the temperatures are marched by backward Euler in two substeps per flow field,
// so that any step is stable and no temperature falls below the walls' or the entering ones.
// The orbits start at the entering profile's mean over their strips weighted by |w|, inside
// its range. Conduction to both walls (held at the barrel temperature) leaves through cell 1.
// Where the flow field changes between steps, melt crossing an orbit's edge carries its
// orbit's temperature, so the enthalpy carried changes by the heating less the wall heat
// alone. Each depth node and each Gauss point of the flow field takes the temperature of its
// orbit for the next step's flow field.
//
// The integrals cover exactly the channel length: the step that reaches the channel end is
// as long as what is left, and the evaluation at the end adds no length. The pressure is
// summed by the trapezoid rule (a tapered zone's steps, whose section is their middle one, by
// their own gradient). The mean temperature and the enthalpy rise are weighted by the
// down-channel flow that carried each orbit's temperature, the flow the energy equation
// carries. Work, heat and pressure power go through kEnergyUnits.

namespace kelvado {

struct CalcState;
class ResultsSink;
struct SinkWrite;

inline constexpr int kOrbitCells = 40;

// The consistent model's counterpart of AdvanceEnergyStep: the step's integral quantities, a
// progress line on every fourth step, the orbit temperatures marched one step and the
// advance of the position; at the channel end only the integrals and the line. An orbit whose
// down-channel flow is not positive sets MarchUnbounded and marches nothing.
SinkWrite AdvanceOrbitEnergyStep(CalcState& state, ResultsSink& sink);

}  // namespace kelvado
