// SPDX-License-Identifier: Apache-2.0
#include <string>

#include "bench_name.h"
#include "solver/input_fields.h"
#include "solver/sweep.h"

namespace {

// 1000 cases around the default: ten outputs by ten barrel temperatures by ten densities.
std::vector<kelvado::SweepCase> ThousandCases() {
  std::vector<kelvado::SweepCase> cases;
  for (int i = 0; i < 10; ++i) {
    for (int j = 0; j < 10; ++j) {
      for (int k = 0; k < 10; ++k) {
        kelvado::InputTexts texts = kelvado::DefaultInputTexts();
        texts[kelvado::Field::OutputRate] = std::to_string(40 + 4 * i);
        texts[kelvado::Field::BarrelTemp] = std::to_string(280 + 4 * j);
        texts[kelvado::Field::Density] = std::to_string(0.91 + 0.01 * k);
        cases.push_back({texts});
      }
    }
  }
  return cases;
}

void BM_Sweep1000(benchmark::State& state) {
  const auto cases = ThousandCases();
  kelvado::SweepOptions options;
  options.threads = static_cast<unsigned>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(kelvado::RunSweep(cases, options));
  state.counters["cases_per_second"] =
      benchmark::Counter(static_cast<double>(cases.size() * state.iterations()), benchmark::Counter::kIsRate);
}
KELVADO_BENCHMARK(BM_Sweep1000)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
