// SPDX-License-Identifier: Apache-2.0
#include "solver/lin_eq.h"

#include <cmath>
#include <utility>

#include "solver/lanes.h"

namespace kelvado {
namespace {

// The row updates of the elimination, two slots at a time: each lane the same product and
// difference as one slot at a time.
struct TwoLaneRows {
  // row[c] - factor * pivotRow[c] for slots `from` to n.
  static void Eliminate(double* row, double factor, const double* pivotRow, int from, int n) {
    const Lanes factors = BothLanes(factor);
    int c = from;
    for (; c < n; c += 2) StoreLanes(row + c, LoadLanes(row + c) - factors * LoadLanes(pivotRow + c));
    if (c == n) row[c] = row[c] - factor * pivotRow[c];
  }
  // (row[c] - factor1 * pivot1[c]) - factor2 * pivot2[c] for slots `from` to n.
  static void EliminateTwice(double* row, double factor1, const double* pivot1, double factor2,
                             const double* pivot2, int from, int n) {
    const Lanes factors1 = BothLanes(factor1), factors2 = BothLanes(factor2);
    int c = from;
    for (; c < n; c += 2) {
      StoreLanes(row + c, (LoadLanes(row + c) - factors1 * LoadLanes(pivot1 + c)) - factors2 * LoadLanes(pivot2 + c));
    }
    if (c == n) row[c] = (row[c] - factor1 * pivot1[c]) - factor2 * pivot2[c];
  }
};

#ifdef KELVADO_FOUR_LANES
// The same four slots at a time, the last few as above.
struct FourLaneRows {
  KELVADO_AVX static void Eliminate(double* row, double factor, const double* pivotRow, int from, int n) {
    const Quad factors = AllLanes(factor);
    int c = from;
    for (; c + 3 <= n; c += 4) StoreQuad(row + c, LoadQuad(row + c) - factors * LoadQuad(pivotRow + c));
    TwoLaneRows::Eliminate(row, factor, pivotRow, c, n);
  }
  KELVADO_AVX static void EliminateTwice(double* row, double factor1, const double* pivot1, double factor2,
                                         const double* pivot2, int from, int n) {
    const Quad factors1 = AllLanes(factor1), factors2 = AllLanes(factor2);
    int c = from;
    for (; c + 3 <= n; c += 4) {
      StoreQuad(row + c, (LoadQuad(row + c) - factors1 * LoadQuad(pivot1 + c)) - factors2 * LoadQuad(pivot2 + c));
    }
    TwoLaneRows::EliminateTwice(row, factor1, pivot1, factor2, pivot2, c, n);
  }
};
#endif

template <typename Rows>
[[gnu::always_inline]] inline void Solve(const LinMatrix& A, const LinVector& b, LinVector& x, int n) {
  // Working copy of the used block only, rows packed n + 1 wide: A[i][1..n] in slots 0..n-1
  // and the right-hand side in slot n, where the full matrix has column n+1. Slots past the
  // block are never read, so they are left as they are.
  const int width = n + 1;
  double W[kLinSize * (kLinSize + 1)];
  std::array<std::uint8_t, kLinSize + 1> perm{};
  for (int i = 1; i <= n; ++i) {
    // Two slots at a time: short rows, where a block copy's start-up would cost more.
    double* row = W + (i - 1) * width;
    const double* from = &A[i][1];
    int c = 0;
    for (; c + 1 < n; c += 2) StoreLanes(row + c, LoadLanes(from + c));
    if (c < n) row[c] = from[c];
    row[n] = b[i];
    perm[i] = static_cast<std::uint8_t>(i);
  }
  // Row i of the pivoting order; column j of the full matrix is slot j - 1.
  auto rowOf = [&](int i) { return W + (perm[i] - 1) * width; };
  // Step k's pivot: the first largest magnitude in column k from row k down, swapped into
  // place.
  auto pivot = [&](int k) {
    int p = k;
    for (int i = k + 1; i <= n; ++i) {
      if (std::fabs(rowOf(i)[k - 1]) > std::fabs(rowOf(p)[k - 1])) p = i;
    }
    std::swap(perm[k], perm[p]);
    return rowOf(k);
  };
  // Step k's pivot row divided through by its pivot from slot `from` on.
  auto divide = [&](double* row, int from, int k) {
    for (int c = from; c <= n; ++c) row[c] = row[c] / row[k - 1];
  };

  // Two steps at a time: every slot of every row still gets step k's update and then step
  // k+1's, the same operations in the same order, but the rows are read and written once
  // for both.
  int k = 1;
  for (; k + 1 <= n; k += 2) {
    double* first = pivot(k);
    divide(first, k, k);
    // Step k on column k+1 alone, which picks the next pivot and holds the next factors.
    for (int i = 1; i <= n; ++i) {
      if (i == k) continue;
      double* row = rowOf(i);
      row[k] = row[k] - row[k - 1] * first[k];
    }
    double* second = pivot(k + 1);
    Rows::Eliminate(second, second[k - 1], first, k + 1, n);
    divide(second, k + 1, k + 1);
    for (int i = 1; i <= n; ++i) {
      if (i == k || i == k + 1) continue;
      double* row = rowOf(i);
      Rows::EliminateTwice(row, row[k - 1], first, row[k], second, k + 1, n);
    }
    // The first pivot row meets step k+1 only now: the other rows needed it as step k left it.
    Rows::Eliminate(first, first[k], second, k + 1, n);
  }
  if (k == n) {
    double* last = pivot(k);
    divide(last, k, k);
    for (int i = 1; i < n; ++i) {
      double* row = rowOf(i);
      Rows::Eliminate(row, row[k - 1], last, k, n);
    }
  }
  for (int i = 1; i <= n; ++i) x[i] = rowOf(i)[n];
}

void SolveTwoLanes(const LinMatrix& A, const LinVector& b, LinVector& x, int n) { Solve<TwoLaneRows>(A, b, x, n); }

#ifdef KELVADO_FOUR_LANES
KELVADO_AVX void SolveFourLanes(const LinMatrix& A, const LinVector& b, LinVector& x, int n) {
  Solve<FourLaneRows>(A, b, x, n);
}
#endif

}  // namespace

void GaussSolve(const LinMatrix& A, const LinVector& b, LinVector& x, std::uint8_t n, LaneWidth width) {
#ifdef KELVADO_FOUR_LANES
  if (width == LaneWidth::Best && HaveFourLanes()) return SolveFourLanes(A, b, x, n);
#endif
  (void)width;
  SolveTwoLanes(A, b, x, n);
}

}  // namespace kelvado
