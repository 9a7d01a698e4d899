// SPDX-License-Identifier: Apache-2.0
#pragma once
// Many runs of the same core, spread over threads. Each case is a whole run; a failing case
// is one outcome among the others, never the end of the sweep.
#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "solver/ranges.h"
#include "solver/run.h"

namespace kelvado {

// More cases than this in one sweep or characteristic is taken for a typing mistake, in
// every front end.
inline constexpr std::size_t kMaxSweepCases = 100000;
// The same for a sweep whose rows go to a CSV file: they stream to the file, so the count
// is bounded by time and disk, not memory.
inline constexpr std::size_t kMaxCsvSweepCases = 10'000'000;

struct SweepResult {
  RunStatus status = RunStatus::Finished;
  std::string message;  // the message the run showed, or the fault it met
  OutletSummary summary;
  std::vector<std::string> warnings{};  // of a finished run, as the run gives them
};

struct SweepCase {
  InputTexts inputs;
  std::optional<SweepResult> settled{};  // known to fail before it runs: not run
  std::vector<ScrewZone> zones{};        // its screw of zones; empty: the case's one channel
};

struct SweepOptions {
  unsigned threads = 0;     // 0: one per core
  char decimalSeparator = '.';
  FlowModel flowModel = FlowModel::Classic;
  // Called after each finished case with the number done so far (from worker threads).
  std::function<void(std::size_t done, std::size_t total)> progress;
  // Set from any thread to stop: running cases end as cancelled, the rest are not started.
  const std::atomic<bool>* cancel = nullptr;
  // The material's highest processing temperature and fitted window, where it gives them:
  // each finished case warns as a single run of it would.
  std::optional<double> maxProcessingTemp;
  std::optional<FittedWindow> fittedWindow;
};

// Runs every case; results come back in the order of the cases. A sweep keeps numbers:
// its cases write no results files.
std::vector<SweepResult> RunSweep(const std::vector<SweepCase>& cases, const SweepOptions& options);

// A sweep that keeps neither its cases nor its results: each case is made when a worker
// takes it, and each result is handed on in case order as soon as it and every earlier one
// are known. At most a fixed window of results (a few per thread) waits at any time, so
// memory does not grow with the number of cases.
struct SweepStream {
  std::size_t count = 0;
  // Case `index`, for 0 <= index < count; called once per index, from worker threads.
  std::function<SweepCase(std::size_t index)> make;
  // The result of case `index`, called in index order and never twice at once. After a
  // cancel the cases not run are handed on as Cancelled.
  std::function<void(std::size_t index, const SweepResult& result)> deliver;
};

// Runs the stream's cases on the options' threads (progress and cancel as for RunSweep).
// An exception from `make` or `deliver` stops the workers; the first one is thrown again
// here once they have all stopped.
void StreamSweep(const SweepStream& stream, const SweepOptions& options);

// The dimensionless flow rate at which the given inputs' output needs `rpm` revolutions per
// minute (the screw-speed formula of the operating conditions solved for it), or how a run
// of those inputs ends when there is none: improper input, or the arithmetic fault met.
struct RatioForRpm {
  double ratio = 0;
  RunStatus status = RunStatus::Finished;  // Finished: `ratio` holds
  std::string detail;                      // the message or the fault otherwise
};
RatioForRpm FlowRateRatioForRpm(const InputTexts& inputs, char decimalSeparator, double rpm);

// A case of the screw characteristic: `base` with the given output and the dimensionless flow
// rate at which that output needs `rpm`; a settled failure when there is no such rate.
SweepCase CharacteristicCase(const InputTexts& base, char decimalSeparator, double rpm, double output);

// A case driven at `rpm`: with zones, the fields the zones set (ZonedInputs) and the zones;
// with or without, the flow-rate ratio at which the case's output needs that speed. A zone
// deeper than the barrel's radius is a settled improper input naming the zone; an output that
// is not a number is left for the run to refuse.
SweepCase DrivenCase(const InputTexts& inputs, const std::vector<ScrewZone>& zones, char decimalSeparator,
                     double rpm);

// The request driven at `rpm` with the zones: its inputs and zones as DrivenCase makes them,
// and the failure settled before the run, if any.
std::optional<SweepResult> DriveRequest(RunRequest& request, const std::vector<ScrewZone>& zones, double rpm);


}  // namespace kelvado
