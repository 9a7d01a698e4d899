// SPDX-License-Identifier: Apache-2.0
#include "solver/sweep.h"

#include <algorithm>
#include <atomic>
#include <cfenv>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "solver/calc_state.h"
#include "solver/fp_fault.h"
#include "solver/input_fields.h"
#include "solver/operating.h"

namespace kelvado {
namespace {

// One case in the worker's own calculation state.
SweepResult RunOne(SweepCase&& c, const SweepOptions& options, CalcState& state) {
  QuietServices services(options.cancel);
  RunRequest request;
  request.inputs = std::move(c.inputs);
  request.decimalSeparator = options.decimalSeparator;
  request.flowModel = options.flowModel;
  request.zones = std::move(c.zones);
  request.writeResultsFile = false;  // a sweep keeps numbers, not files
  request.keepOutletProfiles = false;
  request.maxProcessingTemp = options.maxProcessingTemp;
  request.fittedWindow = options.fittedWindow;
  NoResultsFile none;
  RunOutcome outcome = RunCalculation(request, services, none, state);
  SweepResult result;
  result.status = outcome.status;
  // A table keeps the shown text of a run that did not converge; the cause is a run's line.
  const bool gaveUp = outcome.status == RunStatus::InnerFailed || outcome.status == RunStatus::ClosureFailed;
  result.message = outcome.detail.empty() || gaveUp ? std::move(services.message) : std::move(outcome.detail);
  result.summary = outcome.summary;
  result.warnings = std::move(outcome.warnings);
  return result;
}

}  // namespace

void StreamSweep(const SweepStream& stream, const SweepOptions& options) {
  const std::size_t count = stream.count;
  unsigned threads = options.threads != 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<std::size_t>(threads, std::max<std::size_t>(count, 1)));
  // Results wait here until every earlier case is done. A worker never takes a case past
  // the window, so the case being waited for is always running and the window drains.
  const std::size_t window = 64 * static_cast<std::size_t>(threads);
  std::vector<std::optional<SweepResult>> waiting(window);
  std::mutex lock;
  std::condition_variable room;
  std::size_t delivered = 0;  // cases handed on so far; guarded by the lock
  bool stop = false;          // an exception: guarded by the lock
  std::exception_ptr failure;

  // Cases are handed out one at a time, so a slow case does not hold up a whole block.
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> done{0};
  auto worker = [&] {
    // One calculation state for all of this worker's cases (about 240 kB, off its stack).
    const auto state = std::make_unique<CalcState>();
    for (std::size_t i = next++; i < count; i = next++) {
      {
        std::unique_lock<std::mutex> guard(lock);
        room.wait(guard, [&] { return stop || i < delivered + window; });
        if (stop) return;
      }
      try {
        SweepResult result;
        if (options.cancel != nullptr && options.cancel->load()) {
          result.status = RunStatus::Cancelled;
        } else {
          SweepCase c = stream.make(i);
          result = c.settled ? std::move(*c.settled) : RunOne(std::move(c), options, *state);
          const std::size_t finished = ++done;
          if (options.progress) options.progress(finished, count);
        }
        const std::lock_guard<std::mutex> guard(lock);
        if (stop) return;
        waiting[i % window] = std::move(result);
        for (std::optional<SweepResult>* slot = &waiting[delivered % window]; slot->has_value();
             slot = &waiting[delivered % window]) {
          stream.deliver(delivered, **slot);
          slot->reset();
          if (++delivered == count) break;
        }
        room.notify_all();
      } catch (...) {
        const std::lock_guard<std::mutex> guard(lock);
        if (!failure) failure = std::current_exception();
        stop = true;
        room.notify_all();
        return;
      }
    }
  };
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(worker);
  worker();
  for (auto& thread : pool) thread.join();
  if (failure) std::rethrow_exception(failure);
}

std::vector<SweepResult> RunSweep(const std::vector<SweepCase>& cases, const SweepOptions& options) {
  std::vector<SweepResult> results(cases.size());
  StreamSweep({cases.size(), [&](std::size_t i) { return cases[i]; },
               [&](std::size_t i, const SweepResult& result) { results[i] = result; }},
              options);
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
    found.detail = InputProblemText(*s, inputs, decimalSeparator);
    return found;
  }
  s->FlowRateRatio = 1.0;
  std::fexcept_t flags;
  std::fegetexceptflag(&flags, FE_ALL_EXCEPT);
  ClearFaultFlags();
  ComputeOperatingConditions(*s);
  // The screw speed is inversely proportional to the flow-rate ratio.
  found.ratio = s->RevPerSec / (rpm / 60.0);
  if (const std::string fault = RaisedFault(); !fault.empty()) found.detail = fault + " in the operating conditions";
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

SweepCase DrivenCase(const InputTexts& inputs, const std::vector<ScrewZone>& zones, char decimalSeparator,
                     double rpm) {
  if (!zones.empty()) {
    // A zone too deep is said of the zone, not of the channel depth it would set.
    if (const std::optional<double> diameter = ParseNumber(inputs[Field::BarrelDiameter], decimalSeparator)) {
      if (std::optional<std::string> problem = ZoneDepthProblem(zones, *diameter)) {
        return {inputs, SweepResult{RunStatus::ImproperInput, std::move(*problem), {}}, zones};
      }
    }
  }
  const InputTexts base = zones.empty() ? inputs : ZonedInputs(inputs, zones, decimalSeparator);
  const std::optional<double> output = ParseNumber(base[Field::OutputRate], decimalSeparator);
  SweepCase driven = output ? CharacteristicCase(base, decimalSeparator, rpm, *output) : SweepCase{base};
  driven.zones = zones;
  return driven;
}

std::optional<SweepResult> DriveRequest(RunRequest& request, const std::vector<ScrewZone>& zones, double rpm) {
  SweepCase driven = DrivenCase(request.inputs, zones, request.decimalSeparator, rpm);
  request.inputs = std::move(driven.inputs);
  request.zones = std::move(driven.zones);
  return std::move(driven.settled);
}

}  // namespace kelvado
