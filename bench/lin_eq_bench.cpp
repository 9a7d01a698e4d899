// SPDX-License-Identifier: Apache-2.0
#include <memory>

#include "bench_name.h"
#include "solver/lin_eq.h"

namespace {

// A tridiagonal, diagonally dominant system like the temperature step's: n = 19 is the
// default depth grid, n = 99 the finest.
void BM_GaussSolve(benchmark::State& state) {
  auto A = std::make_unique<kelvado::LinMatrix>();
  kelvado::LinVector b{}, x{};
  const int n = static_cast<int>(state.range(0));
  for (int r = 1; r <= n; ++r) {
    (*A)[r][r] = -40.0 - r;
    if (r > 1) (*A)[r][r - 1] = 1.5;
    if (r < n) (*A)[r][r + 1] = 1.5;
    b[r] = -300.0 * r;
  }
  for (auto _ : state) {
    kelvado::GaussSolve(*A, b, x, static_cast<std::uint8_t>(n));
    benchmark::DoNotOptimize(x);
  }
}
KELVADO_BENCHMARK(BM_GaussSolve)->Arg(19)->Arg(99);

}  // namespace
