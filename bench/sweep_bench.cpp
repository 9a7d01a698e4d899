#include <benchmark/benchmark.h>

#include <string>

#include "solver/input_fields.h"
#include "solver/sweep.h"

namespace {

// 100 cases: ten outputs by ten barrel temperatures around the default case.
std::vector<kelvado::SweepCase> HundredCases() {
  std::vector<kelvado::SweepCase> cases;
  for (int i = 0; i < 10; ++i) {
    for (int j = 0; j < 10; ++j) {
      kelvado::InputTexts texts = kelvado::DefaultInputTexts();
      texts[kelvado::Field::OutputRate] = std::to_string(40 + 4 * i);
      texts[kelvado::Field::BarrelTemp] = std::to_string(280 + 4 * j);
      cases.push_back({texts});
    }
  }
  return cases;
}

void BM_Sweep100(benchmark::State& state) {
  const auto cases = HundredCases();
  kelvado::SweepOptions options;
  options.threads = static_cast<unsigned>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(kelvado::RunSweep(cases, options));
  state.counters["cases_per_second"] =
      benchmark::Counter(static_cast<double>(cases.size() * state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Sweep100)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
