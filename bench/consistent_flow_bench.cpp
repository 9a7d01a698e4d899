// SPDX-License-Identifier: Apache-2.0
#include <memory>

#include "bench_name.h"
#include "solver/calc_state.h"
#include "solver/consistent_flow.h"
#include "solver/grid.h"
#include "solver/input.h"
#include "solver/input_fields.h"
#include "solver/operating.h"
#include "solver/services.h"

namespace {

// The consistent flow field of the default case's first step, from the start the run gives
// it. The solver reads only the temperatures, the gradients and the node-0 profiles, so
// those are put back before every solve.
void BM_ConsistentFlowFirstStep(benchmark::State& state) {
  auto s = std::make_unique<kelvado::CalcState>();
  kelvado::QuietServices services;
  kelvado::ReadInputData(*s, kelvado::DefaultInputTexts(), '.', services);
  kelvado::ComputeOperatingConditions(*s);
  kelvado::PrepareGridAndProfiles(*s);
  const double gz = s->PressGradZ, gx = s->PressGradX;
  const double visc0 = s->Viscosity[0], shearZ0 = s->ShearZ[0], shearX0 = s->ShearX[0];
  for (auto _ : state) {
    s->PressGradZ = gz;
    s->PressGradX = gx;
    s->Viscosity[0] = visc0;
    s->ShearZ[0] = shearZ0;
    s->ShearX[0] = shearX0;
    if (!kelvado::SolveConsistentFlowField(*s)) state.SkipWithError("did not converge");
    benchmark::DoNotOptimize(s->PressGradZ);
  }
  state.counters["newton_iterations"] = s->ClosureIter;
}
KELVADO_BENCHMARK(BM_ConsistentFlowFirstStep)->Unit(benchmark::kMicrosecond);

}  // namespace
