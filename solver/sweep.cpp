#include "solver/sweep.h"

#include <algorithm>
#include <atomic>
#include <cfenv>
#include <memory>
#include <thread>

#include "solver/calc_state.h"
#include "solver/fp_fault.h"
#include "solver/input_fields.h"
#include "solver/operating.h"

namespace kelvado {
namespace {

SweepResult RunOne(const SweepCase& c, const SweepOptions& options) {
  QuietServices services(options.cancel);
  RunRequest request{c.inputs, {}, options.decimalSeparator};
  request.flowModel = options.flowModel;
  request.writeResultsFile = false;  // a sweep keeps numbers, not files
  NoResultsFile none;
  const RunOutcome outcome = RunCalculation(request, services, none);
  SweepResult result;
  result.status = outcome.status;
  result.message = outcome.detail.empty() ? services.message : outcome.detail;
  result.summary = outcome.summary;
  return result;
}

}  // namespace

std::vector<SweepResult> RunSweep(const std::vector<SweepCase>& cases, const SweepOptions& options) {
  std::vector<SweepResult> results(cases.size());
  unsigned threads = options.threads != 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<std::size_t>(threads, std::max<std::size_t>(cases.size(), 1)));

  // Cases are handed out one at a time, so a slow case does not hold up a whole block.
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> done{0};
  auto worker = [&] {
    for (std::size_t i = next++; i < cases.size(); i = next++) {
      if (options.cancel != nullptr && options.cancel->load()) {
        results[i].status = RunStatus::Cancelled;
        continue;
      }
      results[i] = cases[i].settled ? *cases[i].settled : RunOne(cases[i], options);
      const std::size_t finished = ++done;
      if (options.progress) options.progress(finished, cases.size());
    }
  };
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(worker);
  worker();
  for (auto& thread : pool) thread.join();
  return results;
}

RatioForRpm FlowRateRatioForRpm(const InputTexts& inputs, char decimalSeparator, double rpm) {
  auto s = std::make_unique<CalcState>();
  QuietServices quiet;
  RatioForRpm found;
  // Read and derived as the run itself does, so that a case with no speed fails as its run would.
  ReadInputData(*s, inputs, decimalSeparator, quiet);
  if (s->InputValid == 0) {
    found.status = RunStatus::ImproperInput;
    found.detail = quiet.message;
    return found;
  }
  s->FlowRateRatio = 1.0;
  std::fexcept_t flags;
  std::fegetexceptflag(&flags, FE_ALL_EXCEPT);
  ClearFaultFlags();
  ComputeOperatingConditions(*s);
  // The screw speed is inversely proportional to the flow-rate ratio.
  found.ratio = s->RevPerSec / (rpm / 60.0);
  found.detail = RaisedFault();
  std::fesetexceptflag(&flags, FE_ALL_EXCEPT);
  if (!found.detail.empty()) found.status = RunStatus::ArithmeticFault;
  return found;
}

SweepCase CharacteristicCase(const InputTexts& base, char decimalSeparator, double rpm, double output) {
  SweepCase c{base};
  c.inputs[Field::OutputRate] = ExactNumberText(output, decimalSeparator);
  const RatioForRpm ratio = FlowRateRatioForRpm(c.inputs, decimalSeparator, rpm);
  if (ratio.status == RunStatus::Finished) {
    c.inputs[Field::FlowRateRatio] = ExactNumberText(ratio.ratio, decimalSeparator);
  } else {
    c.settled = SweepResult{ratio.status, ratio.detail, {}};
  }
  return c;
}

}  // namespace kelvado
