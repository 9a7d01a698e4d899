// SPDX-License-Identifier: Apache-2.0
#include "solver/lin_eq.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <utility>

#include "solver/fp_fault.h"

namespace kelvado {
namespace {

// The matrices are large: keep them off the stack of the test.
struct System {
  LinMatrix A{};
  LinVector b{};
  LinVector x{};
};

TEST(GaussSolve, SolvesOneEquation) {
  auto s = std::make_unique<System>();
  s->A[1][1] = 4.0;
  s->b[1] = 2.0;
  GaussSolve(s->A, s->b, s->x, 1);
  EXPECT_EQ(s->x[1], 0.5);
}

TEST(GaussSolve, LeavesEverythingButTheSolutionUntouched) {
  auto s = std::make_unique<System>();
  for (int i = 1; i <= 3; ++i) s->A[i][i] = i + 1.0;
  s->A[1][4] = 99.0;  // column n+1 of the caller's matrix
  s->b = {0, 2.0, 3.0, 4.0, 7.0};
  s->x.fill(-5.0);
  const LinMatrix before = s->A;
  const LinVector bBefore = s->b;
  GaussSolve(s->A, s->b, s->x, 3);
  EXPECT_EQ(s->x[1], 1.0);
  EXPECT_EQ(s->x[2], 1.0);
  EXPECT_EQ(s->x[3], 1.0);
  EXPECT_EQ(s->x[4], -5.0);
  EXPECT_EQ(s->x[0], -5.0);
  EXPECT_EQ(s->A, before);
  EXPECT_EQ(s->b, bBefore);
}

TEST(GaussSolve, PivotsThroughTheIndexVectorAndKeepsTheColumnOrder) {
  auto s = std::make_unique<System>();
  // The largest entry of column 1 is in row 3; without pivoting row 1 would divide by zero.
  const double rows[3][3] = {{0, 2, 1}, {1, 1, 1}, {5, 0, 2}};
  const double solution[3] = {1, -2, 3};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      s->A[r + 1][c + 1] = rows[r][c];
      s->b[r + 1] += rows[r][c] * solution[c];
    }
  }
  std::feclearexcept(FE_ALL_EXCEPT);
  GaussSolve(s->A, s->b, s->x, 3);
  EXPECT_TRUE(RaisedFault().empty());
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(s->x[i + 1], solution[i], 1e-14) << i;
}

// The elimination of a 2x2 system, written out with row `first` as the first pivot row.
std::pair<double, double> EliminateByHand(const double a[2][2], const double b[2], int first) {
  const int other = 1 - first;
  const double w12 = a[first][1] / a[first][0];
  const double w13 = b[first] / a[first][0];
  const double w22 = a[other][1] - a[other][0] * w12;
  const double w23 = b[other] - a[other][0] * w13;
  const double x2 = w23 / w22;
  return {w13 - w12 * x2, x2};
}

TEST(GaussSolve, TakesTheEarlierOfTwoEqualPivots) {
  const double a[2][2] = {{1.0, 0.3}, {-1.0, 0.6}};
  const double b[2] = {0.8, 1.2};
  const auto rowOneFirst = EliminateByHand(a, b, 0);
  const auto rowTwoFirst = EliminateByHand(a, b, 1);
  // The numbers are chosen so that the order of the pivot rows shows in the last bits.
  ASSERT_NE(rowOneFirst, rowTwoFirst);

  auto s = std::make_unique<System>();
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 2; ++c) s->A[r + 1][c + 1] = a[r][c];
    s->b[r + 1] = b[r];
  }
  GaussSolve(s->A, s->b, s->x, 2);
  EXPECT_EQ(s->x[1], rowOneFirst.first);
  EXPECT_EQ(s->x[2], rowOneFirst.second);
}

TEST(GaussSolve, SolvesTheTridiagonalSystemOfTheTemperatureStep) {
  auto s = std::make_unique<System>();
  const int n = 19;
  for (int r = 1; r <= n; ++r) {
    s->A[r][r] = -4.0;
    if (r > 1) s->A[r][r - 1] = 1.0;
    if (r < n) s->A[r][r + 1] = 1.0;
  }
  for (int r = 1; r <= n; ++r) {
    const double xr = r * 0.5;
    s->b[r] = -4.0 * xr + (r > 1 ? (r - 1) * 0.5 : 0.0) + (r < n ? (r + 1) * 0.5 : 0.0);
  }
  GaussSolve(s->A, s->b, s->x, n);
  for (int r = 1; r <= n; ++r) EXPECT_NEAR(s->x[r], r * 0.5, 1e-12);
}

// The elimination as plainly as it can be written: the whole matrix copied, one slot at a
// time. The solver must give these bits, whatever its layout and vector width.
void PlainGaussJordan(LinMatrix W, const LinVector& b, LinVector& x, int n) {
  std::array<int, kLinSize + 1> perm{};
  for (int i = 1; i <= n; ++i) {
    W[i][n + 1] = b[i];
    perm[i] = i;
  }
  for (int k = 1; k <= n; ++k) {
    int p = k;
    for (int i = k + 1; i <= n; ++i) {
      if (std::fabs(W[perm[i]][k]) > std::fabs(W[perm[p]][k])) p = i;
    }
    std::swap(perm[k], perm[p]);
    for (int j = k + 1; j <= n + 1; ++j) W[perm[k]][j] = W[perm[k]][j] / W[perm[k]][k];
    for (int i = 1; i <= n; ++i) {
      if (i == k) continue;
      const double factor = W[perm[i]][k];
      for (int j = k + 1; j <= n + 1; ++j) W[perm[i]][j] = W[perm[i]][j] - factor * W[perm[k]][j];
    }
  }
  for (int i = 1; i <= n; ++i) x[i] = W[perm[i]][n + 1];
}

TEST(GaussSolve, GivesTheBitsOfThePlainEliminationForEverySizeAndPivotOrder) {
  auto s = std::make_unique<System>();
  auto expected = std::make_unique<System>();
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> value(-3.0, 3.0);
  for (int n = 1; n <= 100; n += (n < 24 ? 1 : 13)) {
    // Dense and badly scaled, so that rows are swapped and every rounding shows.
    for (int r = 1; r <= kLinSize; ++r) {
      for (int c = 1; c <= kLinSize; ++c) s->A[r][c] = value(rng) * std::pow(10.0, value(rng));
      s->b[r] = value(rng);
    }
    PlainGaussJordan(s->A, s->b, expected->x, n);
    for (const LaneWidth width : {LaneWidth::Best, LaneWidth::Two}) {
      GaussSolve(s->A, s->b, s->x, static_cast<std::uint8_t>(n), width);
      for (int r = 1; r <= n; ++r) {
        ASSERT_EQ(std::bit_cast<std::uint64_t>(s->x[r]), std::bit_cast<std::uint64_t>(expected->x[r]))
            << "n " << n << " row " << r << (width == LaneWidth::Two ? ", two lanes" : "");
      }
    }
  }
}

TEST(GaussSolve, ZeroEquationsWritesNothing) {
  auto s = std::make_unique<System>();
  s->x.fill(3.0);
  GaussSolve(s->A, s->b, s->x, 0);
  EXPECT_EQ(s->x[1], 3.0);
}

TEST(GaussSolve, ASingularSystemRaisesAnArithmeticFault) {
  auto s = std::make_unique<System>();
  s->A[1][1] = 1.0;
  s->A[2][1] = 2.0;  // column 2 is all zeros
  s->b = {0, 1.0, 1.0};
  ClearFaultFlags();
  GaussSolve(s->A, s->b, s->x, 2);
  EXPECT_FALSE(RaisedFault().empty());
  EXPECT_THROW(CheckFaultFlags("the test"), ArithmeticFault);
  ClearFaultFlags();
}

}  // namespace
}  // namespace kelvado

namespace kelvado {
namespace {

TEST(FaultFlags, NameTheCauseAndClearBetweenRuns) {
  ClearFaultFlags();
  EXPECT_NO_THROW(CheckFaultFlags("the test"));
  volatile double big = 1e300, zero = 0.0;
  volatile double inf = big * big;  // overflow
  volatile double nan = inf - inf;  // then an invalid operation
  (void)nan;
  EXPECT_EQ(RaisedFault(), "overflow");
  try {
    CheckFaultFlags("the test");
    ADD_FAILURE() << "no fault raised";
  } catch (const ArithmeticFault& fault) {
    EXPECT_STREQ(fault.what(), "overflow in the test");
  }
  volatile double q = 1.0 / zero;
  (void)q;
  EXPECT_EQ(RaisedFault(), "division by zero");
  ClearFaultFlags();
  volatile double invalid = zero / zero;
  (void)invalid;
  EXPECT_EQ(RaisedFault(), "invalid operation");
  ClearFaultFlags();
  volatile double tiny = 1e-300;
  volatile double underflow = tiny * tiny;  // underflow and inexact are not faults
  (void)underflow;
  EXPECT_TRUE(RaisedFault().empty());
}

}  // namespace
}  // namespace kelvado
