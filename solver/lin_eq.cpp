#include "solver/lin_eq.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "solver/lanes.h"

namespace kelvado {

void GaussSolve(const LinMatrix& A, const LinVector& b, LinVector& x, std::uint8_t n) {
  // Working copy of the used block only, rows packed n + 1 wide: A[i][1..n] in slots 0..n-1
  // and the right-hand side in slot n, where the full matrix has column n+1. Slots past the
  // block are never read, so they are left as they are.
  const int width = n + 1;
  double W[kLinSize * (kLinSize + 1)];
  std::array<std::uint8_t, kLinSize + 1> perm{};
  for (int i = 1; i <= n; ++i) {
    double* row = W + (i - 1) * width;
    std::copy_n(&A[i][1], n, row);
    row[n] = b[i];
    perm[i] = static_cast<std::uint8_t>(i);
  }
  // Row i of the pivoting order; column j of the full matrix is slot j - 1.
  auto rowOf = [&](int i) { return W + (perm[i] - 1) * width; };
  // Step k's pivot: the first largest magnitude in column k from row k down, swapped into
  // place; its row divided through from slot `from` on.
  auto pivot = [&](int k) {
    int p = k;
    for (int i = k + 1; i <= n; ++i) {
      if (std::fabs(rowOf(i)[k - 1]) > std::fabs(rowOf(p)[k - 1])) p = i;
    }
    std::swap(perm[k], perm[p]);
    return rowOf(k);
  };
  auto divide = [&](double* row, int from, int k) {
    for (int c = from; c <= n; ++c) row[c] = row[c] / row[k - 1];
  };
  // row[c] - factor * pivotRow[c] for slots `from` to n, two at a time: each lane the same
  // product and difference as one slot at a time.
  auto eliminate = [&](double* row, double factor, const double* pivotRow, int from) {
    const Lanes factors = BothLanes(factor);
    int c = from;
    for (; c < n; c += 2) StoreLanes(row + c, LoadLanes(row + c) - factors * LoadLanes(pivotRow + c));
    if (c == n) row[c] = row[c] - factor * pivotRow[c];
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
    eliminate(second, second[k - 1], first, k + 1);
    divide(second, k + 1, k + 1);
    for (int i = 1; i <= n; ++i) {
      if (i == k || i == k + 1) continue;
      double* row = rowOf(i);
      const double f1 = row[k - 1], f2 = row[k];
      const Lanes factors1 = BothLanes(f1), factors2 = BothLanes(f2);
      int c = k + 1;
      for (; c < n; c += 2) {
        StoreLanes(row + c, (LoadLanes(row + c) - factors1 * LoadLanes(first + c)) - factors2 * LoadLanes(second + c));
      }
      if (c == n) row[c] = (row[c] - f1 * first[c]) - f2 * second[c];
    }
    // The first pivot row meets step k+1 only now: the other rows needed it as step k left it.
    eliminate(first, first[k], second, k + 1);
  }
  if (k == n) {
    double* last = pivot(k);
    divide(last, k, k);
    for (int i = 1; i < n; ++i) {
      double* row = rowOf(i);
      eliminate(row, row[k - 1], last, k);
    }
  }
  for (int i = 1; i <= n; ++i) x[i] = rowOf(i)[n];
}

}  // namespace kelvado
