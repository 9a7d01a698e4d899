// SPDX-License-Identifier: Apache-2.0
#pragma once
// Where a screw and a die run together: at a fixed screw speed, the output at which the
// screw's outlet pressure equals the die's pressure drop.
//
// Each screw evaluation is a whole run (the characteristic case of that output and speed, no
// results file); the die takes the run's mean outlet temperature. The residual
//   f(output) = screw outlet pressure - die pressure drop   (kgf/cm2)
// is scanned from the top of the output range downwards, where the screw builds little
// pressure and its runs finish most readily, until it changes sign; Brent's method then
// narrows the bracket to 0.1 % of the output, and on until a run's outlet pressure and die
// drop agree within kOperatingPointTolerance. The point reported is always one of the runs made, never an
// interpolation; a bracket that closes on a jump of the residual (the outlet pressure or the
// melt temperature leaps between two outputs) is no point.
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "solver/die.h"
#include "solver/units.h"
#include "solver/run.h"

namespace kelvado {

// The screw's outlet pressure and the die's drop agree to this fraction at a point found.
inline constexpr double kOperatingPointTolerance = 0.005;

struct OperatingPointRequest {
  // The case as the user gave it; each screw run is its CharacteristicCase at the speed.
  InputTexts inputs;
  char decimalSeparator = '.';
  double rpm = 0;
  FlowModel flowModel = FlowModel::Classic;  // of every screw run
  std::vector<ScrewZone> zones;              // of every screw run; empty: the case's channel
  std::vector<DieSection> die;
  // The outputs searched, kg/hr; both zero: DefaultOutputRange.
  double outputFrom = 0;
  double outputTo = 0;
  int scanPoints = 10;  // runs of the scan at most, both ends included
  double tolerance = 1e-3;  // of the output
  // The material's limits, where it gives them: the screw runs warn past them.
  std::optional<double> maxProcessingTemp;
  std::optional<FittedWindow> fittedWindow;
};

enum class OperatingPointStatus {
  Found,
  NoCrossing,     // every run of the scan finished, the residual kept its sign
  RunFailed,      // a screw run of the search did not finish; no crossing before it
  ImproperInput,  // the die, the melt, the speed, the range or a field can not be used
  Cancelled,
};

// Short English name, for tables and JSON.
const char* OperatingPointStatusName(OperatingPointStatus status);

// One screw run of the search.
struct ScrewRun {
  double output = 0;  // kg/hr
  double flowRateRatio = 0;
  RunStatus status = RunStatus::Finished;
  std::string message;     // the run's message or fault, when it did not finish
  OutletSummary summary;   // when finished
  DieFlow die;             // when finished: at the run's mean outlet temperature
  std::vector<std::string> warnings{};  // of the screw run, when finished
  double DiePressureDrop() const { return die.pressureDrop / kGfPerKgf; }    // kgf/cm2
  double Residual() const { return summary.OutletPressure - DiePressureDrop(); }  // kgf/cm2
};

struct OperatingPointResult {
  OperatingPointStatus status = OperatingPointStatus::ImproperInput;
  // Found: empty. Otherwise why, naming the output range and, for a run, its output.
  std::string message;
  double outputFrom = 0;  // the range searched, kg/hr
  double outputTo = 0;
  // Found: the run at the crossing. RunFailed: the run that did not finish.
  ScrewRun point;
  std::vector<ScrewRun> runs;         // every screw run, in the order made
  std::vector<std::string> warnings;  // die sections used past their formula's range
};

struct OperatingPointOptions {
  // Called after each screw run with the runs made so far (on the calling thread).
  std::function<void(const ScrewRun& run, std::size_t runsDone)> progress;
  // Set from any thread to stop: the running case ends, the result is Cancelled.
  const std::atomic<bool>* cancel = nullptr;
};

// The default output range at `rpm`: from 10 % to 120 % of the drag flow W H Vbz / 2 (flow-
// rate ratio 0.05 to 0.6). The screw builds no pressure near the drag flow, so a die, which
// always takes some, crosses the screw's curve below the top of the range. Both zero when
// the inputs give no usable screw speed formula.
std::pair<double, double> DefaultOutputRange(const InputTexts& inputs, char decimalSeparator, double rpm);
// The same for a screw of zones (the case's channel when `zones` is empty): from the shallowest
// section's range to the top of it or, when higher, the output at which the deepest section
// reaches open discharge.
std::pair<double, double> DefaultOutputRange(const InputTexts& inputs, const std::vector<ScrewZone>& zones,
                                             char decimalSeparator, double rpm);

// Searches synchronously on the calling thread.
OperatingPointResult FindOperatingPoint(const OperatingPointRequest& request,
                                        const OperatingPointOptions& options = {});

}  // namespace kelvado
