// SPDX-License-Identifier: Apache-2.0
// The studies an engineer waits for with a melt-fed screw: the operating point of the README's
// three-zone screw with its sheet die at 80 rpm, and a characteristic of 31 outputs of the
// default case at 80 rpm, both in the consistent model.
#include <string>
#include <variant>
#include <vector>

#include "bench_name.h"
#include "solver/input_fields.h"
#include "solver/operating_point.h"
#include "solver/screw_zones.h"
#include "solver/sweep.h"

namespace {

void BM_OperatingPointOfZones(benchmark::State& state) {
  kelvado::OperatingPointRequest request;
  request.inputs = kelvado::DefaultInputTexts();
  request.rpm = 80;
  request.flowModel = kelvado::FlowModel::Consistent;
  request.zones = std::get<std::vector<kelvado::ScrewZone>>(
      kelvado::ParseZones({"turns=4,depth=0.6", "turns=4,depth=0.6:0.25", "turns=12,depth=0.25"}));
  request.die = {kelvado::ParseDieSection("slit:width=20,gap=0.08,length=4")};
  for (auto _ : state) {
    const kelvado::OperatingPointResult result = kelvado::FindOperatingPoint(request);
    if (result.status != kelvado::OperatingPointStatus::Found) state.SkipWithError("no point found");
    state.counters["screw_runs"] = static_cast<double>(result.runs.size());
  }
}
KELVADO_BENCHMARK(BM_OperatingPointOfZones)->Unit(benchmark::kMillisecond);

// 2 to 62 kg/hr in 2 kg/hr steps, one thread.
void BM_Characteristic31(benchmark::State& state) {
  std::vector<kelvado::SweepCase> cases;
  for (int i = 1; i <= 31; ++i) {
    cases.push_back(kelvado::CharacteristicCase(kelvado::DefaultInputTexts(), '.', 80, 2.0 * i));
  }
  kelvado::SweepOptions options;
  options.threads = 1;
  options.flowModel = kelvado::FlowModel::Consistent;
  for (auto _ : state) benchmark::DoNotOptimize(kelvado::RunSweep(cases, options));
}
KELVADO_BENCHMARK(BM_Characteristic31)->Unit(benchmark::kMillisecond);

}  // namespace
