// SPDX-License-Identifier: Apache-2.0
// What an engineer waits for with a screw fed with pellets: its flood-fed output, the README's
// worked example (LDPE pellets, three zones, the sheet die, 80 rpm), and one run of the stages
// at that output. Not timed against an earlier tree, which has no such screw.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "solver/input_fields.h"
#include "studies/flood_fed.h"

namespace {

kelvado::PelletRequest WorkedExample() {
  kelvado::PelletRequest r;
  r.run.inputs = kelvado::DefaultInputTexts();
  // LDPE as the library holds it, pellets at 25 C.
  const std::pair<kelvado::Field, const char*> fields[] = {
      {kelvado::Field::Density, "0.92"},        {kelvado::Field::SpecificHeat, "0.5255"},
      {kelvado::Field::Conductivity, "0.0005732"}, {kelvado::Field::StdViscosity, "246.8"},
      {kelvado::Field::StdShearRate, "1"},      {kelvado::Field::StdTemp, "200"},
      {kelvado::Field::PowerIndex, "0.3286"},   {kelvado::Field::TempCoeff, "0.00863"},
      {kelvado::Field::InletTemp, "25"}};
  for (const auto& [field, text] : fields) r.run.inputs[field] = text;
  r.run.flowModel = kelvado::FlowModel::Consistent;
  r.run.writeResultsFile = false;
  for (const char* text : {"turns=4,depth=0.6,barrel-temp=140", "turns=4,depth=0.6:0.25,barrel-temp=200",
                           "turns=12,depth=0.25,barrel-temp=220"}) {
    r.run.zones.push_back(std::get<kelvado::ScrewZone>(kelvado::ParseZone(text)));
  }
  r.rpm = 80;
  const double pellets[] = {0.55, 0.915, 0.5493, 110, 31.05, 0.45, 0.25, 0.03};
  for (std::size_t i = 0; i < kelvado::kPelletFieldCount; ++i) r.pellet.values[i] = pellets[i];
  return r;
}

void BM_FloodFedOperatingPoint(benchmark::State& state) {
  kelvado::FloodFedRequest request;
  request.screw = WorkedExample();
  request.die = {kelvado::ParseDieSection("slit:width=20,gap=0.08,length=4")};
  for (auto _ : state) {
    const kelvado::FloodFedResult result = kelvado::FindFloodFedOutput(request);
    if (result.status != kelvado::OperatingPointStatus::Found) state.SkipWithError("no point found");
    state.counters["screw_runs"] = static_cast<double>(result.runs.size() + 1);
  }
}
BENCHMARK(BM_FloodFedOperatingPoint)->Unit(benchmark::kMillisecond);

void BM_PelletRun(benchmark::State& state) {
  kelvado::PelletRequest request = WorkedExample();
  request.run.inputs[kelvado::Field::OutputRate] = "56.18";
  kelvado::QuietServices quiet;
  for (auto _ : state) {
    if (kelvado::RunPelletScrew(request, quiet).run.status != kelvado::RunStatus::Finished) {
      state.SkipWithError("run did not finish");
    }
  }
}
BENCHMARK(BM_PelletRun)->Unit(benchmark::kMillisecond);

}  // namespace
