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
  for (int k = 1; k <= n; ++k) {
    int p = k;
    for (int i = k + 1; i <= n; ++i) {
      if (std::fabs(rowOf(i)[k - 1]) > std::fabs(rowOf(p)[k - 1])) p = i;
    }
    std::swap(perm[k], perm[p]);
    double* pivotRow = rowOf(k);
    for (int c = k; c <= n; ++c) pivotRow[c] = pivotRow[c] / pivotRow[k - 1];
    for (int i = 1; i <= n; ++i) {
      if (i == k) continue;
      double* row = rowOf(i);
      const double factor = row[k - 1];
      // Two slots at a time, each lane the same product and difference as one at a time.
      const Lanes factors = BothLanes(factor);
      int c = k;
      for (; c < n; c += 2) StoreLanes(row + c, LoadLanes(row + c) - factors * LoadLanes(pivotRow + c));
      if (c == n) row[c] = row[c] - factor * pivotRow[c];
    }
  }
  for (int i = 1; i <= n; ++i) x[i] = rowOf(i)[n];
}

}  // namespace kelvado
