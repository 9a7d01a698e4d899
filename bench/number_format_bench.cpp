// SPDX-License-Identifier: Apache-2.0
#include <benchmark/benchmark.h>

#include "report/number_format.h"

namespace {

const double kValues[] = {0.0, 301.2345678, -12.5, 1234.5678, 1.77712e-5, 223680.123, 0.786, 8.0};

void BM_FormatFixed(benchmark::State& state) {
  for (auto _ : state) {
    for (double v : kValues) benchmark::DoNotOptimize(kelvado::FormatFixed(v, 6, 2));
  }
  state.SetItemsProcessed(state.iterations() * std::size(kValues));
}
BENCHMARK(BM_FormatFixed);

void BM_FormatFixedWidth(benchmark::State& state) {
  for (auto _ : state) {
    for (double v : kValues) benchmark::DoNotOptimize(kelvado::FormatFixedWidth(v, 8, 2));
  }
  state.SetItemsProcessed(state.iterations() * std::size(kValues));
}
BENCHMARK(BM_FormatFixedWidth);

void BM_FormatExpField(benchmark::State& state) {
  for (auto _ : state) {
    for (double v : kValues) benchmark::DoNotOptimize(kelvado::FormatExpField(v));
  }
  state.SetItemsProcessed(state.iterations() * std::size(kValues));
}
BENCHMARK(BM_FormatExpField);

}  // namespace
