#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "report/results_file.h"
#include "solver/calc_state.h"
#include "solver/input_fields.h"
#include "solver/run.h"

namespace {

class CountingServices : public kelvado::RunServices {
 public:
  void ShowMessage(const std::string&) override {}
  void RefreshFileList() override {}
  void ShowFinishDialog() override {}
  void StepFinished(const kelvado::CalcState& s) override {  // the last step holds the totals
    velocityPasses = s.TotalVelocityPasses;
    innerPasses = s.TotalInnerPasses;
    closurePasses = s.TotalClosurePasses;
  }
  std::int64_t velocityPasses = 0, innerPasses = 0, closurePasses = 0;
};

// The whole default case in one flow model, results file included (on the temporary folder).
void DefaultRun(benchmark::State& state, kelvado::FlowModel model) {
  const std::string path = (std::filesystem::temp_directory_path() / "kelvado-bench-result.txt").string();
  kelvado::RunRequest request{kelvado::DefaultInputTexts(), path, '.', kelvado::TextEncoding::ShiftJis};
  request.flowModel = model;
  CountingServices services;
  for (auto _ : state) {
    const auto outcome = kelvado::RunWithResultsFile(request, services);
    if (outcome.status != kelvado::RunStatus::Finished) state.SkipWithError("run did not finish");
  }
  state.counters["velocity_passes"] = static_cast<double>(services.velocityPasses);
  state.counters["inner_passes"] = static_cast<double>(services.innerPasses);
  state.counters["closure_passes"] = static_cast<double>(services.closurePasses);
  std::filesystem::remove(path);
}

void BM_DefaultRun(benchmark::State& state) { DefaultRun(state, kelvado::FlowModel::Classic); }
BENCHMARK(BM_DefaultRun)->Unit(benchmark::kMillisecond);

// closure_passes counts the Newton iterations of the flow field here.
void BM_DefaultRunConsistent(benchmark::State& state) { DefaultRun(state, kelvado::FlowModel::Consistent); }
BENCHMARK(BM_DefaultRunConsistent)->Unit(benchmark::kMillisecond);

}  // namespace
