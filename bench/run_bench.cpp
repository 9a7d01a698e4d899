#include <filesystem>
#include <string>

#include "bench_name.h"
#include "solver/calc_state.h"
#include "solver/input_fields.h"
#include "solver/run.h"

namespace {

class CountingServices : public kelvado::RunServices {
 public:
  void ShowMessage(const std::string&) override {}
  void RefreshFileList() override {}
  void ShowFinishDialog() override {}
  void RunCompleted(const kelvado::CalcState& s) override {
    velocityPasses = s.TotalVelocityPasses;
    innerPasses = s.TotalInnerPasses;
    closurePasses = s.TotalClosurePasses;
  }
  std::int64_t velocityPasses = 0, innerPasses = 0, closurePasses = 0;
};

// The whole default case, results file included (in the temporary folder). The file of the
// previous iteration is removed outside the timing, as a first run finds none: truncating
// a file whose pages are still being written back makes the file system wait for them.
void BM_DefaultRun(benchmark::State& state) {
  const std::string path = (std::filesystem::temp_directory_path() / "kelvado-bench-result.txt").string();
  const kelvado::RunRequest request{kelvado::DefaultInputTexts(), path, '.', kelvado::TextEncoding::ShiftJis};
  CountingServices services;
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(path);
    state.ResumeTiming();
    const auto outcome = kelvado::RunCalculation(request, services);
    if (outcome.status != kelvado::RunStatus::Finished) state.SkipWithError("run did not finish");
  }
  state.counters["velocity_passes"] = static_cast<double>(services.velocityPasses);
  state.counters["inner_passes"] = static_cast<double>(services.innerPasses);
  state.counters["closure_passes"] = static_cast<double>(services.closurePasses);
  std::filesystem::remove(path);
}
KELVADO_BENCHMARK(BM_DefaultRun)->Unit(benchmark::kMillisecond);

// The same case writing to the null device, as every case of a sweep does.
void BM_DefaultRunNullDevice(benchmark::State& state) {
  const kelvado::RunRequest request{kelvado::DefaultInputTexts(), "/dev/null", '.', kelvado::TextEncoding::ShiftJis};
  CountingServices services;
  for (auto _ : state) {
    const auto outcome = kelvado::RunCalculation(request, services);
    if (outcome.status != kelvado::RunStatus::Finished) state.SkipWithError("run did not finish");
  }
}
KELVADO_BENCHMARK(BM_DefaultRunNullDevice)->Unit(benchmark::kMillisecond);

}  // namespace
