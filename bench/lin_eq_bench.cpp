#include <benchmark/benchmark.h>

#include <memory>

#include "solver/lin_eq.h"

namespace {

// The temperature system of one step: tridiagonal, diagonally dominant, n = 19.
void BM_GaussSolve19(benchmark::State& state) {
  auto A = std::make_unique<kelvado::LinMatrix>();
  kelvado::LinVector b{}, x{};
  const int n = 19;
  for (int r = 1; r <= n; ++r) {
    (*A)[r][r] = -40.0 - r;
    if (r > 1) (*A)[r][r - 1] = 1.5;
    if (r < n) (*A)[r][r + 1] = 1.5;
    b[r] = -300.0 * r;
  }
  for (auto _ : state) {
    kelvado::GaussSolve(*A, b, x, n);
    benchmark::DoNotOptimize(x);
  }
}
BENCHMARK(BM_GaussSolve19);

}  // namespace
