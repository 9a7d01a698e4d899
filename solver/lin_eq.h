// SPDX-License-Identifier: Apache-2.0
#pragma once
// Dense Gauss-Jordan solver for the implicit temperature system.
#include <array>
#include <cstdint>

#include "solver/lane_width.h"

namespace kelvado {

inline constexpr int kLinSize = 101;

// Indexed from 1 to 101 as the temperature system numbers its rows; slot 0 is unused.
using LinVector = std::array<double, kLinSize + 1>;
using LinMatrix = std::array<LinVector, kLinSize + 1>;

// Solves A x = b for the first n equations (n <= 100). Rows are never moved: pivoting
// works through an index vector. A is taken by value, so the caller's matrix is untouched.
// x[1..n] is written, nothing above n. A zero pivot divides by zero (an arithmetic fault
// the caller detects through the floating-point flags).
void GaussSolve(const LinMatrix& A, const LinVector& b, LinVector& x, std::uint8_t n,
                LaneWidth width = LaneWidth::Best);

}  // namespace kelvado
