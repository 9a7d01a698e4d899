// SPDX-License-Identifier: Apache-2.0
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "bench/bench_name.h"
#include "report/results_file.h"
#include "solver/calc_state.h"
#include "solver/input_fields.h"
#include "solver/run.h"
#include "solver/screw_zones.h"
#include "solver/sweep.h"

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

// The whole default case in one flow model, results file included (in the temporary folder).
// The file of the previous iteration is removed outside the timing, as a first run finds none:
// truncating a file whose pages are still being written back makes the file system wait.
void DefaultRun(benchmark::State& state, kelvado::FlowModel model) {
  const std::string path = (std::filesystem::temp_directory_path() / "kelvado-bench-result.txt").string();
  kelvado::RunRequest request{kelvado::DefaultInputTexts(), path, '.', kelvado::TextEncoding::ShiftJis};
  request.flowModel = model;
  CountingServices services;
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(path);
    state.ResumeTiming();
    const auto outcome = kelvado::RunWithResultsFile(request, services);
    if (outcome.status != kelvado::RunStatus::Finished) state.SkipWithError("run did not finish");
  }
  state.counters["velocity_passes"] = static_cast<double>(services.velocityPasses);
  state.counters["inner_passes"] = static_cast<double>(services.innerPasses);
  state.counters["closure_passes"] = static_cast<double>(services.closurePasses);
  std::filesystem::remove(path);
}

void BM_DefaultRun(benchmark::State& state) { DefaultRun(state, kelvado::FlowModel::Classic); }
KELVADO_BENCHMARK(BM_DefaultRun)->Unit(benchmark::kMillisecond);

// closure_passes counts the Newton iterations of the flow field here.
void BM_DefaultRunConsistent(benchmark::State& state) { DefaultRun(state, kelvado::FlowModel::Consistent); }
KELVADO_BENCHMARK(BM_DefaultRunConsistent)->Unit(benchmark::kMillisecond);

// The same case with no results file, as every case of a sweep runs.
void BM_DefaultRunNoFile(benchmark::State& state) {
  kelvado::RunRequest request{kelvado::DefaultInputTexts(), {}};
  request.writeResultsFile = false;
  CountingServices services;
  for (auto _ : state) {
    const auto outcome = kelvado::RunWithResultsFile(request, services);
    if (outcome.status != kelvado::RunStatus::Finished) state.SkipWithError("run did not finish");
  }
}
KELVADO_BENCHMARK(BM_DefaultRunNoFile)->Unit(benchmark::kMillisecond);

// A screw of 20 turns at 80 rpm and 55.91 kg/hr, no results file: three zones (deep, compression,
// metering) against one zone of the metering depth, for what the zones cost.
void BM_ScrewOfZones(benchmark::State& state) {
  const std::vector<std::string> texts = state.range(0) == 3
      ? std::vector<std::string>{"turns=4,depth=0.6", "turns=4,depth=0.6:0.25", "turns=12,depth=0.25"}
      : std::vector<std::string>{"turns=20,depth=0.25"};
  kelvado::InputTexts inputs = kelvado::DefaultInputTexts();
  inputs[kelvado::Field::OutputRate] = std::string("55.91");
  const kelvado::SweepCase driven =
      kelvado::DrivenCase(inputs, std::get<std::vector<kelvado::ScrewZone>>(kelvado::ParseZones(texts)), '.', 80);
  kelvado::RunRequest request{driven.inputs, {}};
  request.writeResultsFile = false;
  request.flowModel = kelvado::FlowModel::Consistent;
  request.zones = driven.zones;
  CountingServices services;
  for (auto _ : state) {
    const auto outcome = kelvado::RunWithResultsFile(request, services);
    if (outcome.status != kelvado::RunStatus::Finished) state.SkipWithError("run did not finish");
  }
  state.counters["closure_passes"] = static_cast<double>(services.closurePasses);
}
KELVADO_BENCHMARK(BM_ScrewOfZones)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

}  // namespace
