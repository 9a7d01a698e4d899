#include "solver/lin_eq.h"

#include <cmath>
#include <utility>

namespace kelvado {

void GaussSolve(const LinMatrix& A, const LinVector& b, LinVector& x, std::uint8_t n) {
  // Working copy: the right-hand side goes into column n+1, overwriting whatever A held there.
  LinMatrix W = A;
  std::array<std::uint8_t, kLinSize + 1> perm{};
  for (int i = 1; i <= n; ++i) {
    W[i][n + 1] = b[i];
    perm[i] = static_cast<std::uint8_t>(i);
  }
  for (int k = 1; k <= n; ++k) {
    int p = k;
    for (int i = k + 1; i <= n; ++i) {
      if (std::fabs(W[perm[i]][k]) > std::fabs(W[perm[p]][k])) p = i;
    }
    std::swap(perm[k], perm[p]);
    LinVector& pivotRow = W[perm[k]];
    for (int j = k + 1; j <= n + 1; ++j) pivotRow[j] = pivotRow[j] / pivotRow[k];
    for (int i = 1; i <= n; ++i) {
      if (i == k) continue;
      LinVector& row = W[perm[i]];
      const double factor = row[k];
      for (int j = k + 1; j <= n + 1; ++j) row[j] = row[j] - factor * pivotRow[j];
    }
  }
  for (int i = 1; i <= n; ++i) x[i] = W[perm[i]][n + 1];
}

}  // namespace kelvado
