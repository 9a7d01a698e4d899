// SPDX-License-Identifier: Apache-2.0
#include "studies/flood_fed.h"

#include <cmath>

#include "solver/units.h"

namespace kelvado {
namespace {

// The bracket is closed to this share of the output, and the point's pressures agree to
// the operating point's tolerance.
constexpr double kOutputTolerance = 1e-3;
constexpr int kMostRuns = 60;

class Search {
 public:
  Search(const FloodFedRequest& request, const OperatingPointOptions& options)
      : request_(request),
        options_(options),
        die_(request.die, MeltOfInputs(request.screw.run.inputs, request.screw.run.decimalSeparator)),
        quiet_(options.cancel) {}

  FloodFedRun Evaluate(double output, FloodFedResult& result) {
    PelletRequest screw = request_.screw;
    screw.run.inputs[Field::OutputRate] = ExactNumberText(output, screw.run.decimalSeparator);
    screw.run.writeResultsFile = false;
    PelletOutcome outcome = RunPelletScrew(screw, quiet_);
    FloodFedRun run;
    run.output = output;
    run.status = outcome.run.status;
    run.message = outcome.run.detail.empty() ? quiet_.message : outcome.run.detail;
    quiet_.message.clear();
    DieFlow flow;
    if (run.status == RunStatus::Finished && !outcome.profile.empty()) {
      const ScrewStep& end = outcome.profile.back();
      run.screwPressure = end.pressure;
      const double temp = end.meanMeltTemp.value_or(request_.screw.pellet[PelletField::MeltingTemp]);
      flow = die_.FlowAt(VolumeRateOf(output, die_.melt()), temp);
      run.diePressure = flow.pressureDrop / kGfPerKgf;
    }
    result.runs.push_back(run);
    if (options_.progress) options_.progress(ScrewRun{output, 0, run.status, run.message, {}, flow}, result.runs.size());
    last.outcome = std::move(outcome);
    last.die = flow;
    return run;
  }

  bool Cancelled() const { return options_.cancel != nullptr && options_.cancel->load(); }

  // The outcome and die flow of the last run.
  FloodFedResult last;

 private:
  const FloodFedRequest& request_;
  const OperatingPointOptions& options_;
  Die die_;
  QuietServices quiet_;
};

bool Delivers(const FloodFedRun& run) { return run.status == RunStatus::Finished && run.Residual() >= 0; }

void Settle(FloodFedResult& result, Search& search, const FloodFedRun& point, const std::string& limitedBy) {
  result.status = OperatingPointStatus::Found;
  result.limitedBy = limitedBy;
  result.point = point;
  // The point's run made again for its whole outcome: the search keeps only the last one's.
  search.Evaluate(point.output, result);
  result.runs.pop_back();
  result.outcome = std::move(search.last.outcome);
  result.die = search.last.die;
  result.outcome.plastication.limitedBy = limitedBy;
}

}  // namespace

FloodFedResult FindFloodFedOutput(const FloodFedRequest& request, const OperatingPointOptions& options) {
  FloodFedResult result;
  result.feedCeiling = FeedCeiling(request.screw);
  if (!(result.feedCeiling > 0)) {
    result.message = "The feed conveys nothing: the pellets' friction on the screw holds them against the barrel's, "
                     "or a field or pellet value can not be used";
    return result;
  }
  Search search(request, options);
  const double top = result.feedCeiling * (1 - 1e-9);
  FloodFedRun high = search.Evaluate(top, result);
  if (search.Cancelled()) return result.status = OperatingPointStatus::Cancelled, result;
  if (Delivers(high)) {
    Settle(result, search, high, "feed");
    return result;
  }
  // Down from the ceiling until the screw builds what the die takes.
  FloodFedRun low = high;
  while (!Delivers(low)) {
    high = low;
    const double next = low.output * 0.5;
    if (next < result.feedCeiling * 1e-3) {
      result.status = high.status == RunStatus::Finished ? OperatingPointStatus::NoCrossing : OperatingPointStatus::RunFailed;
      result.message = "no output up to the feed's " + TwoDecimalsText(result.feedCeiling) +
                       " kg/hr builds the die's pressure" + (high.message.empty() ? "" : ": " + high.message);
      return result;
    }
    low = search.Evaluate(next, result);
    if (search.Cancelled()) return result.status = OperatingPointStatus::Cancelled, result;
  }
  // False position on the residual while the upper end finished; halving where it failed.
  int side = 0;  // Illinois: the end that stayed twice has its residual halved
  double lowResidual = low.Residual(), highResidual = high.Residual();
  while (static_cast<int>(result.runs.size()) < kMostRuns && (high.output - low.output) > kOutputTolerance * high.output) {
    // Where the upper end runs starved its residual is flat and says nothing of the crossing.
    const bool falsePosition = high.status == RunStatus::Finished && high.screwPressure > 0 && lowResidual > highResidual;
    const double next = falsePosition ? low.output + lowResidual * (high.output - low.output) / (lowResidual - highResidual)
                                      : 0.5 * (low.output + high.output);
    const FloodFedRun run = search.Evaluate(next, result);
    if (search.Cancelled()) return result.status = OperatingPointStatus::Cancelled, result;
    if (Delivers(run)) {
      low = run;
      lowResidual = run.Residual();
      if (side == -1) highResidual *= 0.5;
      side = -1;
    } else {
      high = run;
      highResidual = run.Residual();
      if (side == 1) lowResidual *= 0.5;
      side = 1;
    }
    if (run.status == RunStatus::Finished &&
        std::fabs(run.Residual()) <= kOperatingPointTolerance * std::max(run.diePressure, run.screwPressure)) {
      Settle(result, search, run, "die");
      return result;
    }
  }
  // Closed on an output above which the screw fails (the bed plugs): it can melt no more.
  if (high.status != RunStatus::Finished && low.Residual() > kOperatingPointTolerance * low.diePressure) {
    Settle(result, search, low, "melting");
    result.message = high.message;
    return result;
  }
  Settle(result, search, std::fabs(low.Residual()) <= std::fabs(high.Residual()) || high.status != RunStatus::Finished ? low : high,
         "die");
  return result;
}

}  // namespace kelvado
