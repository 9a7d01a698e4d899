#include "solver/run.h"

#include <memory>

#include "solver/calc_state.h"
#include "solver/closure.h"
#include "solver/energy.h"
#include "solver/grid.h"
#include "solver/operating.h"
#include "solver/run_errors.h"
#include "solver/units.h"
#include "solver/velocity.h"
#include "solver/units.h"
#include "solver/viscosity.h"

namespace kelvado {
namespace {

// Below this index the first step runs with it in its place: a strongly shear-thinning
// melt cannot be started from the Newtonian first guess.
constexpr double kMinStartPowerIndex = 0.55;

// A failed step: the step has shown its message; the file goes, the list is re-read.
void FailureExit(ResultFile& file, RunServices& services, RunOutcome& outcome, RunStatus status) {
  file.DeleteIfOurs();
  services.RefreshFileList();
  outcome.status = status;
}

void ComputePowerBalance(CalcState& s) {
  s.Cooling2KW = kCalPerSecToKW * s.WallCooling;
  s.TotalPowerKW = kCalPerSecToKW * s.PowerInput;
  s.EnthalpyDiffKW = kCalPerSecToKW * s.EnthalpyDiff;
  s.PressurePowerKW = (s.Pressure * s.VolumeRate) * kGfCmPerSecToKW;
  s.Cooling1KW = s.TotalPowerKW - (s.EnthalpyDiffKW + s.PressurePowerKW);
  s.OutletPressure = s.Pressure / kGfPerKgf;
}

// One down-channel step's flow field: inner loops inside the closure loop.
// Returns false when an iteration gave up (its message has been shown).
bool SolveFlowField(CalcState& s, RunServices& services, RunStatus& failure) {
  s.StepVelocityPasses = 0;
  s.CrossResPos = -1.0;
  s.CrossResNeg = +1.0;
  s.BracketAge = 0;
  s.ClosureIter = 0;
  s.FlowResPos = -1.0;
  s.FlowResNeg = +1.0;
  do {
    s.InnerIter = 0;
    do {
      s.SpeedErrZPos = -1.0;
      s.SpeedErrZNeg = +1.0;
      s.SpeedErrXPos = -1.0;
      s.SpeedErrXNeg = +1.0;
      FitVelocityProfiles(s, services);
      if (s.VelocityFailed == 1) {
        GiveUpInnerLoop(s, services);
      } else {
        UpdateViscosity(s, services);
      }
      ++s.TotalInnerPasses;
      if (services.CancelRequested()) throw RunCancelled();
    } while (s.InnerDone != 1);
    if (s.InnerFailed == 1) {
      failure = RunStatus::InnerFailed;
      return false;
    }
    CheckFlowRates(s, services);
  } while (s.ClosureDone != 1);
  if (s.ClosureFailed == 1) {
    failure = RunStatus::ClosureFailed;
    return false;
  }
  return true;
}

void ClearMatrixBlock(CalcState& s) {
  for (int r = 1; r <= s.InteriorCount; ++r) {
    for (int c = 1; c <= s.InteriorCount; ++c) s.Matrix[r][c] = 0.0;
  }
}

OutletSummary SummaryOf(const CalcState& s) {
  return OutletSummary{s.AvgTemp,         s.MixingDegree, s.TotalPowerKW, s.EnthalpyDiffKW,
                       s.PressurePowerKW, s.Cooling1KW,   s.Cooling2KW,   s.OutletPressure,
                       s.Rpm};
}

// Everything from the operating conditions to the finish dialog; the outcome is filled in
// as the run goes, so that a run ended by a fault still hands back the steps it completed.
void March(CalcState& s, ResultFile& file, RunServices& services, RunOutcome& outcome,
           std::size_t keptSteps) {
  ComputeOperatingConditions(s);
  CheckFaultFlags();
  outcome.record.operating = RecordOperating(s);
  file.WriteResultHeader(s, services);
  if (s.FileOk == 0) {
    outcome.status = RunStatus::FileNotOpened;
    return;
  }

  PrepareGridAndProfiles(s);
  CheckFaultFlags();

  if (s.PowerIndex < kMinStartPowerIndex) {
    s.SavedPowerIndex = s.PowerIndex;
    s.PowerIndex = kMinStartPowerIndex;
    s.PowerIndexSubstituted = 1;
  } else {
    s.PowerIndexSubstituted = 0;
  }

  StepRecord last;
  do {
    if (services.CancelRequested()) throw RunCancelled();
    ClearMatrixBlock(s);
    RunStatus failure = RunStatus::Finished;
    if (!SolveFlowField(s, services, failure)) return FailureExit(file, services, outcome, failure);
    const std::int32_t step = s.StepCount;
    AdvanceEnergyStep(s, file, services);
    if (s.FileOk == 0) return FailureExit(file, services, outcome, RunStatus::FileNotOpened);
    last = RecordStep(s, step);
    KeepStep(outcome.record, last, keptSteps);
    if (s.PowerIndexSubstituted == 1) {
      s.PowerIndexSubstituted = 0;
      s.PowerIndex = s.SavedPowerIndex;
    }
    services.StepFinished(s);
  } while (s.ChannelEnd != 1);
  KeepLastStep(outcome.record, last, keptSteps);

  ComputePowerBalance(s);
  CheckFaultFlags();
  file.WriteOutletBlock(s, services);
  if (s.FileOk == 0) return FailureExit(file, services, outcome, RunStatus::FileNotOpened);
  outcome.status = RunStatus::Finished;
  outcome.summary = SummaryOf(s);
  outcome.record.outlet = RecordOutlet(s);
  services.RunCompleted(s);
  services.ShowFinishDialog();
  services.RefreshFileList();
}

}  // namespace

RunOutcome RunCalculation(const RunRequest& request, RunServices& services) {
  // About 240 kB: kept off the caller's stack, which may be a worker thread's.
  auto state = std::make_unique<CalcState>();
  ResultFile file(ResultPath(request), request.decimalSeparator, request.encoding);

  RunOutcome outcome;
  ReadInputData(*state, request.inputs, request.decimalSeparator, services);
  if (state->InputValid == 0) {
    outcome.status = RunStatus::ImproperInput;
    return outcome;
  }

  ClearFaultFlags();
  try {
    March(*state, file, services, outcome, request.keptSteps);
  } catch (const ArithmeticFault& fault) {
    // The file stays as written so far and the list is not re-read.
    outcome.status = RunStatus::ArithmeticFault;
    outcome.detail = fault.what();
  } catch (const WriteError& error) {
    outcome.status = RunStatus::WriteError;
    outcome.detail = error.what();
  } catch (const RunCancelled&) {
    FailureExit(file, services, outcome, RunStatus::Cancelled);
  }
  return outcome;
}

std::string ResultPath(const RunRequest& request) {
  std::string name = CutResultFileName(request.resultFileName);
  if (request.resultFolder.empty() || name.starts_with('/')) return name;
  std::string path = request.resultFolder;
  if (!path.ends_with('/')) path += '/';
  return path + name;
}

const char* StatusName(RunStatus status) {
  switch (status) {
    case RunStatus::Finished: return "finished";
    case RunStatus::ImproperInput: return "improper input";
    case RunStatus::InnerFailed: return "viscosity iteration gave up";
    case RunStatus::ClosureFailed: return "flow-rate closure gave up";
    case RunStatus::FileNotOpened: return "file can not open";
    case RunStatus::ArithmeticFault: return "arithmetic fault";
    case RunStatus::WriteError: return "write error";
    case RunStatus::Cancelled: return "cancelled";
  }
  return "unknown";
}

}  // namespace kelvado
