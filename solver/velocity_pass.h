// SPDX-License-Identifier: Apache-2.0
#pragma once
// One velocity pass across the depth, both directions at once in vector lanes.

#include "solver/lane_width.h"

namespace kelvado {

struct CalcState;

// From the screw root (VelZ[0] = VelX[0] = 0 and the root shear rates ShearZ[0], ShearX[0])
// to the barrel: on each interval the parabola at the interval's mean viscosity for the
// pressure gradients, shear rate and velocity continuous across every node. Sets VelZ,
// VelX, ShearZ, ShearX from node 1 to NDiv, and the scratch values (PosY, NodeIndex,
// ViscWork, the constants of integration) as the last interval leaves them. Every lane
// width gives the same bits as the formulas evaluated one value at a time.
void IntegrateAcrossDepthInLanes(CalcState& state, LaneWidth width = LaneWidth::Best);

}  // namespace kelvado
