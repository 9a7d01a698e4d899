// SPDX-License-Identifier: Apache-2.0
#include "solver/run.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "solver/bounds.h"
#include "solver/calc_state.h"
#include "solver/closure.h"
#include "solver/consistent_flow.h"
#include "solver/energy.h"
#include "solver/fp_fault.h"
#include "solver/grid.h"
#include "solver/input_bounds.h"
#include "solver/operating.h"
#include "solver/orbit_energy.h"
#include "solver/run_warnings.h"
#include "solver/screw_zones.h"
#include "solver/units.h"
#include "solver/velocity.h"
#include "solver/viscosity.h"

namespace kelvado {
namespace {

// Below this index the first step runs with it in its place: a strongly shear-thinning
// melt cannot be started from the Newtonian first guess.
constexpr double kMinStartPowerIndex = 0.55;

void ComputePowerBalance(CalcState& s, double startPressure, const EnergyUnits& units) {
  s.Cooling2KW = units.calPerSecToKW * s.WallCooling;
  s.TotalPowerKW = units.calPerSecToKW * s.PowerInput;
  s.EnthalpyDiffKW = units.calPerSecToKW * s.EnthalpyDiff;
  // The power that raised the pressure from where the channel began.
  s.PressurePowerKW = ((s.Pressure - startPressure) * s.VolumeRate) * units.gfCmPerSecToKW;
  s.Cooling1KW = s.TotalPowerKW - (s.EnthalpyDiffKW + s.PressurePowerKW);
  s.OutletPressure = s.Pressure / kGfPerKgf;
}

// One down-channel step's flow field: inner loops inside the closure loop. Returns how the
// run ends when an iteration gave up (its message has been shown) or a cancel came.
std::optional<RunStatus> SolveFlowField(CalcState& s, RunServices& services) {
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
      if (FitVelocityProfiles(s, services) == StageEnd::Cancelled) return RunStatus::Cancelled;
      if (s.VelocityFailed == 1) {
        GiveUpInnerLoop(s, services);
      } else {
        UpdateViscosity(s, services);
      }
      ++s.TotalInnerPasses;
      if (services.CancelRequested()) return RunStatus::Cancelled;
    } while (s.InnerDone != 1);
    if (s.InnerFailed == 1) return RunStatus::InnerFailed;
    CheckFlowRates(s, services);
  } while (s.ClosureDone != 1);
  if (s.ClosureFailed == 1) return RunStatus::ClosureFailed;
  return std::nullopt;
}

// The step's flow field by the chosen model. The consistent model solves its four
// conditions directly; where it cannot, the run ends as a closure that gave up.
std::optional<RunStatus> SolveStepFlowField(CalcState& s, RunServices& services, FlowModel model) {
  if (model == FlowModel::Classic) return SolveFlowField(s, services);
  if (!SolveConsistentFlowField(s)) {
    services.ShowMessage(messages::kConsistentFlowNotConverged);
    return RunStatus::ClosureFailed;
  }
  CheckFaultFlags("the flow field");
  return std::nullopt;
}

// What a write means for the run: FileOk says whether it went; a file that could not be
// opened shows the message, a write that failed after opening ends as a write error.
std::optional<RunStatus> AfterWrite(CalcState& s, RunServices& services, const SinkWrite& write,
                                    RunOutcome& outcome) {
  s.FileOk = write.result == SinkWrite::Result::Written ? 1 : 0;
  switch (write.result) {
    case SinkWrite::Result::Written: return std::nullopt;
    case SinkWrite::Result::NotOpened:
      services.ShowMessage(messages::kFileCanNotOpen);
      return RunStatus::FileNotOpened;
    case SinkWrite::Result::Failed:
      outcome.detail = write.detail;
      return RunStatus::WriteError;
  }
  return std::nullopt;
}

void ClearMatrixBlock(CalcState& s) {
  for (int r = 1; r <= s.InteriorCount; ++r) {
    for (int c = 1; c <= s.InteriorCount; ++c) s.Matrix[r][c] = 0.0;
  }
}

void RecordZoneEnd(RunRecord& record, const ZonePlan& plan, int zone, double pressure, double meanTemp) {
  const ZoneSpan& z = plan.spans[static_cast<std::size_t>(zone)];
  record.zones.push_back(ZoneRecord{z.startTurns, z.endTurns, z.depthFrom, z.depthTo, z.pitch, z.flightWidth,
                                    z.barrelTemp, pressure / kGfPerKgf, meanTemp});
}

// Adds the step ending at `turns` to the stretches: steps next to each other make one.
void AddToStretch(std::vector<std::pair<double, double>>& stretches, double turns) {
  constexpr double kStepTurns = 1.0 / 20;
  if (!stretches.empty() && turns - stretches.back().second <= kStepTurns * (1 + 1e-6)) {
    stretches.back().second = turns;
  } else {
    stretches.emplace_back(turns, turns);
  }
}

// A partly filled channel builds no pressure below zero: where it would, the channel runs
// starved, at zero, until the filled length downstream builds it up again.
// Returns the pressure that zero replaced, which no flow raised.
double KeepStarved(CalcState& s, RunRecord& record) {
  const double raised = -s.Pressure;
  s.Pressure = 0;
  s.LastStepZ = 0;  // the rise the zero replaced is not completed
  AddToStretch(record.starvedTurns, s.Turns);
  return raised;
}

RunStatus EndUnstable(const BoundsViolation& violation, bool classic, RunServices& services,
                      RunOutcome& outcome) {
  outcome.detail = UnstableMarchMessage(violation, classic);
  services.ShowMessage(outcome.detail);
  return RunStatus::Unstable;
}

OutletSummary SummaryOf(const CalcState& s) {
  return OutletSummary{s.AvgTemp,         s.MixingDegree, s.TotalPowerKW, s.EnthalpyDiffKW,
                       s.PressurePowerKW, s.Cooling1KW,   s.Cooling2KW,   s.OutletPressure,
                       s.Rpm};
}

// Everything from the operating conditions to the outlet block; returns how the run ends.
// The outcome's record is filled in as the run goes, so that a run that ends early still
// hands back the steps it completed.
RunStatus March(CalcState& s, ResultsSink& sink, RunServices& services, RunOutcome& outcome,
                const RunRequest& request, bool& fileStarted) {
  ComputeOperatingConditions(s);
  CheckFaultFlags("the operating conditions");
  s.LowestBoundTemp = std::min(s.InletTemp, s.BarrelTemp);
  if (s.Zones != nullptr) {
    // The screw of zones replaces the case's channel: its length, and the first section.
    s.ChannelLength = s.Zones->length;
    s.LowestBoundTemp = std::min(s.InletTemp, s.Zones->lowestBarrelTemp);
    SetLocalSection(s, *s.Zones);
    // The starting profile meets the first zone's barrel, which need not be the case's.
    const double depth = s.Zones->spans.front().depthFrom;
    s.ProfA = ((s.BarrelTemp - s.InletTemp) * 4) / (depth * depth);
    s.ProfB = ((s.BarrelTemp - s.InletTemp) * (-4)) / depth;
  }
  outcome.record.operating = RecordOperating(s);
  outcome.record.calPerSecToKW =
      (request.flowModel == FlowModel::Classic ? kClassicEnergyUnits : kEnergyUnits).calPerSecToKW;
  if (auto end = AfterWrite(s, services, sink.WriteHeader(s), outcome)) return *end;
  fileStarted = true;

  PrepareGridAndProfiles(s);
  CheckFaultFlags("the depth grid and starting profiles");

  // The classic iteration's crutch; the consistent model needs no start of its own.
  if (request.flowModel == FlowModel::Classic && s.PowerIndex < kMinStartPowerIndex) {
    s.SavedPowerIndex = s.PowerIndex;
    s.PowerIndex = kMinStartPowerIndex;
    s.PowerIndexSubstituted = 1;
  } else {
    s.PowerIndexSubstituted = 0;
  }

  const bool classic = request.flowModel == FlowModel::Classic;
  // The classic model's outcomes stay what they were wherever its numbers hold: its bounds
  // are those of what it reports (each step's mean temperature, the outlet profile), and a
  // violation ends the run only where it would otherwise have finished, naming the first.
  std::optional<BoundsViolation> firstViolation;
  double backFlow = 0;  // the largest share of the depth flowing backwards so far
  auto check = [&](bool profile) {
    if (firstViolation) return;
    firstViolation = CheckTemperatureBounds(s, profile);
    if (firstViolation) firstViolation->backFlowShare = backFlow;
  };
  if (request.startPressure != 0) s.Pressure = request.startPressure;
  if (request.uniformStart) {
    // The melt arrives mixed, at one temperature, from a stage before this one.
    for (int j = 0; j <= s.NDiv; ++j) {
      s.Temp[j] = s.TempPrev[j] = s.InletTemp;
      s.Viscosity[j] = s.ViscosityOld[j] = ViscosityLaw(s, s.ShearZ[j], s.ShearX[j], s.Temp[j]);
    }
  }
  double unraised = 0;  // gf/cm2 a partly filled channel's zero put in place of a pressure below it
  std::vector<std::pair<double, double>> belowZero;  // stretches of turns at a pressure below zero
  std::vector<double> lowest;                        // the lowest pressure of each, gf/cm2
  StepRecord last;
  // The temperatures and shear rates met, against a fitted material's window.
  RunSpan seen;
  auto meet = [&](bool shear) {
    if (!request.fittedWindow) return;
    for (int j = 0; j <= s.NDiv; ++j) {
      seen.AddTemp(s.Temp[j]);
      if (shear) seen.AddShearRate(std::sqrt(s.ShearZ[j] * s.ShearZ[j] + s.ShearX[j] * s.ShearX[j]));
    }
  };
  if (request.fittedWindow) seen.AddTemp(s.InletTemp);
  meet(false);  // the starting profile: no flow field solved yet
  do {
    if (services.CancelRequested()) return RunStatus::Cancelled;
    if (classic) ClearMatrixBlock(s);  // the classic energy step's system; the orbits need none
    if (s.Zones != nullptr) SetLocalSection(s, *s.Zones);
    // A zone ends where the next begins: its pressure there, its mean temperature below.
    const bool zoneEnds = s.Zones != nullptr && s.ZoneEntered == 1 && s.ZoneIndex > 0;
    const double pressureHere = s.Pressure;
    if (auto end = SolveStepFlowField(s, services, request.flowModel)) {
      if (classic && (*end == RunStatus::InnerFailed || *end == RunStatus::ClosureFailed)) {
        outcome.detail = ClassicNotConvergedDetail(*end == RunStatus::InnerFailed, std::fmin(TurnsAt(s, s.PosZ), s.LengthRatio),
                                                   backFlow);
      }
      return *end;
    }
    if (classic && s.StepCount == 0) {
      const double n = s.PowerIndexSubstituted == 1 ? s.SavedPowerIndex : s.PowerIndex;
      if (auto warning = ClassicGradientWarning(s, n)) outcome.warnings.push_back(std::move(*warning));
    }
    const std::int32_t step = s.StepCount;
    const SinkWrite stepWrite = classic ? AdvanceEnergyStep(s, sink) : AdvanceOrbitEnergyStep(s, sink);
    if (zoneEnds) RecordZoneEnd(outcome.record, *s.Zones, s.ZoneIndex - 1, pressureHere, s.AvgTemp);
    if (auto end = AfterWrite(s, services, stepWrite, outcome)) return *end;
    if (request.partlyFilled && s.Pressure < 0) unraised += KeepStarved(s, outcome.record);
    if (s.Pressure < 0) {
      const std::size_t stretches = belowZero.size();
      AddToStretch(belowZero, s.Turns);
      if (belowZero.size() != stretches) lowest.push_back(0);
      lowest.back() = std::fmin(lowest.back(), s.Pressure);
    }
    backFlow = std::fmax(backFlow, BackFlowShare(s));
    check(!classic);
    if (firstViolation && !classic) return EndUnstable(*firstViolation, false, services, outcome);
    last = RecordStep(s, step);
    meet(true);
    KeepStep(outcome.record, last, request.keptSteps);
    if (s.PowerIndexSubstituted == 1) {
      s.PowerIndexSubstituted = 0;
      s.PowerIndex = s.SavedPowerIndex;
    }
    services.StepFinished(s);
  } while (s.ChannelEnd != 1);
  KeepLastStep(outcome.record, last, request.keptSteps);
  if (s.Zones != nullptr) RecordZoneEnd(outcome.record, *s.Zones, s.ZoneIndex, s.Pressure, s.AvgTemp);
  check(true);
  if (firstViolation) return EndUnstable(*firstViolation, classic, services, outcome);

  ComputePowerBalance(s, request.startPressure + unraised, classic ? kClassicEnergyUnits : kEnergyUnits);
  CheckFaultFlags("the power balance");
  // The consistent model's numbers stand only with their energy balance closed.
  // Measured against the largest term of the balance: near and past open discharge the
  // total power may be small beside the heat that flows through the melt.
  const double scale = std::fmax(std::fmax(std::fabs(s.TotalPowerKW), std::fabs(s.Cooling2KW)),
                                 std::fmax(std::fabs(s.EnthalpyDiffKW), std::fabs(s.PressurePowerKW)));
  if (!classic && !(std::fabs(s.Cooling1KW - s.Cooling2KW) <= kEnergyClosure * scale)) {
    outcome.detail = EnergyBalanceMessage(s.Cooling1KW, s.Cooling2KW, scale);
    services.ShowMessage(outcome.detail);
    return RunStatus::Unstable;
  }
  if (auto end = AfterWrite(s, services, sink.WriteOutletBlock(s), outcome)) return *end;
  outcome.summary = SummaryOf(s);
  if (auto warning = NegativePressureWarning(s.OutletPressure, s.Rpm)) outcome.warnings.push_back(std::move(*warning));
  // A stretch that reaches the outlet is the negative outlet pressure's, warned of above.
  if (s.Pressure < 0 && !belowZero.empty() && belowZero.back().second >= s.Turns) {
    belowZero.pop_back();
    lowest.pop_back();
  }
  if (!belowZero.empty()) {
    const double lowestKgf = *std::min_element(lowest.begin(), lowest.end()) / kGfPerKgf;
    if (auto warning = NegativeStretchWarning(belowZero, lowestKgf)) outcome.warnings.push_back(std::move(*warning));
  }
  if (auto warning = HotMeltWarning(s.AvgTemp, request.maxProcessingTemp)) outcome.warnings.push_back(std::move(*warning));
  if (request.fittedWindow) {
    for (std::string& warning : FittedWindowWarnings(seen, *request.fittedWindow)) outcome.warnings.push_back(std::move(warning));
  }
  if (request.keepOutletProfiles) outcome.record.outlet = RecordOutlet(s);
  return RunStatus::Finished;
}

}  // namespace

RunOutcome RunCalculation(const RunRequest& request, RunServices& services, ResultsSink& sink) {
  // About 240 kB: kept off the caller's stack, which may be a worker thread's.
  auto state = std::make_unique<CalcState>();
  return RunCalculation(request, services, sink, *state);
}

RunOutcome RunCalculation(const RunRequest& request, RunServices& services, ResultsSink& sink, CalcState& reused) {
  // Made anew in place: every field as a fresh state has it, with no copy of 240 kB.
  std::destroy_at(&reused);
  CalcState* const state = std::construct_at(&reused);
  RunOutcome outcome;
  ReadInputData(*state, request.inputs, request.decimalSeparator, services);
  if (state->InputValid == 0) {
    outcome.status = RunStatus::ImproperInput;
    outcome.invalidField = static_cast<Field>(state->InvalidField);
    // Which field and why, for front ends that name it in words, tables and exports.
    outcome.detail = InputProblemText(*state, request.inputs, request.decimalSeparator);
    return outcome;
  }
  std::optional<ZonePlan> zones;
  if (!request.zones.empty()) {
    auto refuse = [&](const std::string& message) {
      outcome.status = RunStatus::ImproperInput;
      outcome.detail = message;
      services.ShowMessage(message);
      return outcome;
    };
    if (request.flowModel == FlowModel::Classic) return refuse(messages::kZonesNeedConsistentModel);
    auto plan = PlanZones(request.zones, *state);
    if (const std::string* problem = std::get_if<std::string>(&plan)) return refuse(*problem);
    zones = std::get<ZonePlan>(std::move(plan));
    state->Zones = &*zones;
  }

  ClearFaultFlags();
  bool fileStarted = false;  // the header is on disk: an unfinished file is the run's to remove
  try {
    outcome.status = March(*state, sink, services, outcome, request, fileStarted);
  } catch (const ArithmeticFault& fault) {
    // Nothing reached the file's name, so the list is not re-read.
    outcome.status = RunStatus::ArithmeticFault;
    outcome.detail = fault.what();
    return outcome;
  }

  switch (outcome.status) {
    case RunStatus::Finished:
      services.ShowFinishDialog();
      services.RefreshFileList();
      break;
    case RunStatus::InnerFailed:
    case RunStatus::ClosureFailed:
    case RunStatus::Unstable:
    case RunStatus::Cancelled:
    case RunStatus::FileNotOpened:
      // The unfinished file goes and the list is re-read; a header that never opened left
      // nothing to remove.
      if (fileStarted) {
        sink.DeleteUnfinished();
        services.RefreshFileList();
      }
      break;
    default:
      break;  // a write error leaves the file as written
  }
  return outcome;
}

const char* FlowModelName(FlowModel model) {
  return model == FlowModel::Consistent ? "consistent" : "classic";
}

std::optional<FlowModel> FindFlowModel(std::string_view name) {
  for (const FlowModel model : {FlowModel::Classic, FlowModel::Consistent}) {
    if (name == FlowModelName(model)) return model;
  }
  return std::nullopt;
}

const char* StatusName(RunStatus status) {
  switch (status) {
    case RunStatus::NotRun: return "not run";
    case RunStatus::Finished: return "finished";
    case RunStatus::ImproperInput: return "improper input";
    case RunStatus::InnerFailed: return "viscosity iteration gave up";
    case RunStatus::ClosureFailed: return "flow-rate closure gave up";
    case RunStatus::FileNotOpened: return "file can not open";
    case RunStatus::ArithmeticFault: return "arithmetic fault";
    case RunStatus::WriteError: return "write error";
    case RunStatus::Unstable: return "out of physical bounds";
    case RunStatus::Cancelled: return "cancelled";
  }
  return "unknown";
}

}  // namespace kelvado
