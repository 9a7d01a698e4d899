// SPDX-License-Identifier: Apache-2.0
#include "screw/pellet_screw.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "files/output_file.h"
#include "plastication/melting.h"
#include "plastication/solids_conveying.h"
#include "report/results_file.h"
#include "screw/pool_flow.h"
#include "screw/screw_sections.h"
#include "screw/stage_summary.h"
#include "solver/calc_state.h"
#include "solver/consistent_flow.h"
#include "solver/fp_fault.h"
#include "solver/sweep.h"
#include "solver/units.h"

namespace kelvado {
namespace {

using plastication::Section;

constexpr int kStepsPerTurn = 20;  // as the melt stage's
constexpr double kMetre = 0.01;    // per cm
constexpr double kPascalPerGfPerCm2 = kPascalPerKgfPerCm2 / kGfPerKgf;
// 100 MPa: ten times what a compacted plug of pellets is found to hold.
constexpr double kMostSolidsPressure = 1e8 / kPascalPerKgfPerCm2;  // kgf/cm2

// The case's numbers as a run at the screw's speed reads them.
struct CaseNumbers {
  double barrelDiameter, lengthRatio, channelDepth, pitch, flightWidth, output;  // cm, kg/hr
  double meltDensity, meltSpecificHeat, meltConductivity;                         // program units
  double inletTemp, barrelTemp, stdViscosity, stdShearRate, stdTemp, powerIndex, tempCoeff;
};

CaseNumbers NumbersOf(const CalcState& s) {
  return {s.BarrelDiameter, s.LengthRatio, s.ChannelDepth, s.ScrewPitch, s.FlightWidth, s.OutputRate,
          s.Density,        s.SpecificHeat, s.Conductivity, s.InletTemp,  s.BarrelTemp,  s.StdViscosity,
          s.StdShearRate,   s.StdTemp,      s.PowerIndex,   s.TempCoeff};
}

plastication::MeltingMaterial MaterialOf(const CaseNumbers& c, const PelletInputs& p) {
  plastication::MeltingMaterial m;
  m.solidDensity = p[PelletField::SolidDensity] * kKgPerM3PerGPerCm3;
  m.solidSpecificHeat = p[PelletField::SolidSpecificHeat] * kJoulePerKgKPerCalPerGC;
  m.meltingTemp = p[PelletField::MeltingTemp];
  m.heatOfFusion = p[PelletField::HeatOfFusion] * kJoulePerCal * 1000;
  m.meltDensity = c.meltDensity * kKgPerM3PerGPerCm3;
  m.meltConductivity = c.meltConductivity * kWattPerMKPerCalPerCmSC;
  m.stdViscosity = c.stdViscosity * kPascalSecondPerGfSecondPerCm2;
  m.stdShearRate = c.stdShearRate;
  m.stdTemp = c.stdTemp;
  m.powerIndex = c.powerIndex;
  m.tempCoeff = c.tempCoeff;
  return m;
}

Section SectionAt(const ScrewSections& screw, double turn) {
  const ScrewSpan& span = screw.SpanAt(turn);
  return Section{screw.barrelDiameter * kMetre, screw.DepthAt(turn) * kMetre, span.pitch * kMetre,
                 span.flightWidth * kMetre, 1};
}

// One turn's length down the channel at the barrel, m: one lead along the helix.
double TurnLength(const Section& s) { return std::numbers::pi * s.barrelDiameter / std::cos(HelixAngle(s, s.barrelDiameter)); }

// The steps of a stretch of screw: twenty a turn, none across a zone's end.
double NextTurn(const ScrewSections& screw, double turn, double end) {
  const double step = 1.0 / kStepsPerTurn;
  const double zoneEnd = screw.SpanAt(turn).endTurn;
  double next = std::min({turn + step, zoneEnd, end});
  // A sliver of a step left before an end is taken with this one.
  if (std::min(zoneEnd, end) - next < 1e-6 * step) next = std::min(zoneEnd, end);
  return next;
}

struct Failure {
  RunStatus status;
  std::string message;
};

void AddStarved(std::vector<std::pair<double, double>>& starved, double from, double to) {
  if (!starved.empty() && std::fabs(starved.back().second - from) < 1e-9) {
    starved.back().second = to;
  } else {
    starved.emplace_back(from, to);
  }
}

class PelletMarch {
 public:
  PelletMarch(const PelletRequest& request, const CaseNumbers& c, ScrewSections screw, const InputTexts& driven)
      : request_(request),
        c_(c),
        screw_(std::move(screw)),
        material_(MaterialOf(c, request.pellet)),
        revPerSec_(request.rpm / 60),
        output_(c.output / 3600),
        pool_(driven, request.run.decimalSeparator) {}

  std::optional<Failure> Solids(PelletOutcome& out);
  std::optional<Failure> Melting(PelletOutcome& out);

  double pressure = 0;  // gf/cm2, carried from stage to stage
  double meltTemp = 0;  // C, the pool's as the melt stage takes it
  double meltEndTurn = 0;
  bool melted = false;
  double poolMass = 0;  // kg/s of melt at the end of melting (all of it once the bed is gone)
  double poolEnthalpy = 0;  // J/kg above the melt at its melting temperature

  double MeltSpecificHeat() const { return c_.meltSpecificHeat * kJoulePerKgKPerCalPerGC; }  // J/(kg K)
  // J/kg from the pellets as they enter to melt at the melting temperature.
  double SolidHeatToMelt() const {
    return material_.solidSpecificHeat * (material_.meltingTemp - c_.inletTemp) + material_.heatOfFusion;
  }

 private:
  void Record(PelletOutcome& out, double turn, ScrewStage stage, double ratio, std::optional<double> temp,
              std::optional<double> film) {
    out.profile.push_back(ScrewStep{turn, stage, ratio, pressure / kGfPerKgf, temp, film});
  }

  const PelletRequest& request_;
  CaseNumbers c_;
  ScrewSections screw_;
  plastication::MeltingMaterial material_;
  double revPerSec_;
  double output_;  // kg/s
  PoolFlow pool_;
};

std::optional<Failure> PelletMarch::Solids(PelletOutcome& out) {
  Plastication& p = out.plastication;
  const PelletInputs& in = request_.pellet;
  const plastication::SolidsFriction friction{in[PelletField::BarrelFriction], in[PelletField::ScrewFriction]};
  const double bulk = in[PelletField::BulkDensity] * kKgPerM3PerGPerCm3;
  auto conveying = [&](double turn) { return plastication::SolidsConveying(SectionAt(screw_, turn), bulk, friction, revPerSec_); };
  const auto atHopper = conveying(0);
  if (const auto free = atHopper.NoPressureChange()) p.noPressureOutput = free->output * 3600;
  const std::optional<double> angle = atHopper.AngleForOutput(output_);
  if (angle) p.conveyingAngleDeg = *angle * 180 / std::numbers::pi;

  pressure = in[PelletField::HopperPressure] * kGfPerKgf;
  p.peakSolidsPressure = pressure / kGfPerKgf;
  const double end = std::min(p.meltingStartTurn.value_or(screw_.Turns()), screw_.Turns());
  Record(out, 0, ScrewStage::Solids, 1, std::nullopt, std::nullopt);
  for (double turn = 0; turn < end;) {
    const double next = NextTurn(screw_, turn, end);
    const double middle = 0.5 * (turn + next);
    const auto here = conveying(middle);
    const std::optional<double> theta = here.AngleForOutput(output_);
    if (!theta) {
      return Failure{RunStatus::ImproperInput,
                     "The solids conveyed at turn " + ShortNumberText(middle) + " can not carry " +
                         TwoDecimalsText(c_.output) + " kg/hr at " + ShortNumberText(request_.rpm) +
                         " rpm: the plug would have to move faster than the flights; change and try again!"};
    }
    const double dz = (next - turn) * TurnLength(SectionAt(screw_, middle));
    const double p1 = pressure * kPascalPerGfPerCm2;
    const double p2 = here.PressureAt(*theta, p1, dz);
    p.solidsFrictionKW += here.DrivePower(*theta, p1, p2, dz) / 1000;
    pressure = p2 / kPascalPerGfPerCm2;
    turn = next;
    if (pressure / kGfPerKgf > p.peakSolidsPressure) {
      p.peakSolidsPressure = pressure / kGfPerKgf;
      p.peakSolidsPressureTurn = turn;
    }
    Record(out, turn, ScrewStage::Solids, 1, std::nullopt, std::nullopt);
  }
  return std::nullopt;
}

std::optional<Failure> PelletMarch::Melting(PelletOutcome& out) {
  Plastication& p = out.plastication;
  const double start = *p.meltingStartTurn;
  const Section first = SectionAt(screw_, start);
  plastication::SolidBed bed(material_, output_, first, c_.inletTemp);
  const double width = plastication::ChannelWidth(first, first.barrelDiameter);  // W, m
  const double cm = MeltSpecificHeat();
  double bedFlux = output_;  // kg/s the bed carries: rho_s V_sz H X
  double turn = start;
  meltTemp = material_.meltingTemp;
  while (turn < screw_.Turns()) {
    const double next = NextTurn(screw_, turn, screw_.Turns());
    const double middle = 0.5 * (turn + next);
    const ScrewSpan& span = screw_.SpanAt(middle);
    const Section section = SectionAt(screw_, middle);
    const double turnLength = TurnLength(section);
    const double dz = (next - turn) * turnLength;
    const double depthFrom = screw_.DepthAt(turn) * kMetre;
    const double depthTo = screw_.DepthAt(next) * kMetre;
    const double widthBefore = bed.Width();
    const plastication::BedStep step = bed.Step(dz, section, depthFrom, depthTo, span.barrelTemp, revPerSec_);
    if (step.end == plastication::BedEnd::Plugged) {
      return Failure{RunStatus::Unstable, "The solid bed plugs the channel at turn " +
                                              ShortNumberText(turn + step.length / turnLength) +
                                              ": the taper squeezes it faster than it melts; change and try again!"};
    }
    const double taken = step.length;
    const double reached = turn + taken / turnLength;
    const double depthReached = depthFrom + (depthTo - depthFrom) * (dz > 0 ? taken / dz : 0);
    const double bedFluxAfter = step.end == plastication::BedEnd::Melted
                                    ? 0
                                    : material_.solidDensity * bed.Speed() * depthReached * bed.Width();
    const double meltedNow = std::max(0.0, bedFlux - bedFluxAfter);  // kg/s melted over the step
    const plastication::Film& film = step.film;
    p.maxBrinkman = std::max(p.maxBrinkman, std::isfinite(film.brinkman) ? film.brinkman : 0.0);

    // The film: its viscous work, and the barrel heat that melts the bed and brings the
    // film's melt to its cup temperature (the film's own balance).
    const double vb = std::numbers::pi * section.barrelDiameter * revPerSec_;
    const double phi = HelixAngle(section, section.barrelDiameter);
    const double vj = std::hypot(vb * std::sin(phi), vb * std::cos(phi) - bed.Speed());
    const double filmWork =
        film.thickness > 0 ? film.viscosity * vj * vj / film.thickness * 0.5 * (widthBefore + bed.Width()) * taken : 0;
    const double cupEnthalpy = cm * (film.cupTemp - material_.meltingTemp);
    p.energy.barrelHeat += (meltedNow * (SolidHeatToMelt() + cupEnthalpy) - filmWork) / 1000;
    p.energy.viscousWork += filmWork / 1000;
    p.meltingKW += filmWork / 1000;

    // The pool: the film's melt joins it; it flows through what the bed leaves of the
    // channel, heated by its own viscous work and by the barrel over its width.
    const double poolMassAfter = output_ - bedFluxAfter;
    const double poolMiddle = 0.5 * (poolMass + poolMassAfter);
    const double bedMiddle = 0.5 * (widthBefore + bed.Width());
    const double poolWidth = std::max(width - bedMiddle, 1e-3 * width);  // m
    const double depthMiddle = 0.5 * (depthFrom + depthReached);
    double heating = 0, barrel = 0;
    if (poolMiddle > 0) {
      const std::optional<PoolFlow::Field> field =
          pool_.Solve(depthMiddle / kMetre, poolWidth / kMetre, poolMiddle * 1000 / c_.meltDensity, meltTemp, phi);
      if (!field) return Failure{RunStatus::ClosureFailed, messages::kConsistentFlowNotConverged};
      pressure += field->pressureGradient * taken / kMetre;
      if (pressure < 0) {
        AddStarved(p.starvedTurns, turn, reached);
        pressure = 0;
      }
      heating = field->heating * kJoulePerCal * taken / kMetre;  // W
      // Conduction from the barrel across half the pool's depth.
      barrel = material_.meltConductivity * (span.barrelTemp - meltTemp) / (0.5 * depthMiddle) * poolWidth * taken;
    }
    const double enthalpy = poolMass * poolEnthalpy + meltedNow * cupEnthalpy + heating + barrel;
    poolMass = poolMassAfter;
    poolEnthalpy = poolMass > 0 ? enthalpy / poolMass : cupEnthalpy;
    meltTemp = material_.meltingTemp + poolEnthalpy / cm;
    p.energy.barrelHeat += barrel / 1000;
    p.energy.viscousWork += heating / 1000;
    p.meltingKW += heating / 1000;
    bedFlux = bedFluxAfter;

    const double ratio = bedFlux > 0 ? bed.Width() / width : 0;
    Record(out, reached, ScrewStage::Melting, ratio, meltTemp, film.thickness / kMetre);
    turn = reached;
    if (step.end == plastication::BedEnd::Melted) {
      melted = true;
      meltEndTurn = reached;
      p.meltingEndTurn = reached;
      p.unmeltedAtEnd = 0;
      return std::nullopt;
    }
    p.unmeltedAtEnd = ratio;
  }
  return std::nullopt;
}

PelletOutcome Fail(PelletOutcome out, RunStatus status, std::string message, RunServices& services) {
  out.run.status = status;
  out.run.detail = std::move(message);
  services.ShowMessage(out.run.detail);
  return out;
}

std::vector<std::string> Warnings(const Plastication& p) {
  std::vector<std::string> warnings;
  if (!p.meltingEndTurn && p.meltingStartTurn) {
    warnings.push_back("Solid bed at the screw's end: " + ShortNumberText(100 * p.unmeltedAtEnd) +
                       " % of the channel's width is still solid; the melt reaching the die is not homogeneous.");
  }
  if (!p.meltingStartTurn) {
    warnings.push_back("No barrel zone is hotter than the melting temperature: the pellets never melt.");
  }
  if (p.output > p.noPressureOutput * (1 + 1e-9)) {
    warnings.push_back("The output is above what the feed conveys against no pressure rise (" +
                       TwoDecimalsText(p.noPressureOutput) + " kg/hr): the feed runs partly filled.");
  }
  for (const auto& [from, to] : p.starvedTurns) {
    warnings.push_back("The channel runs partly filled (starved, at zero pressure) from turn " + ShortNumberText(from) +
                       " to turn " + ShortNumberText(to) + ".");
  }
  if (p.peakSolidsPressure > kMostSolidsPressure) {
    warnings.push_back("The solids pressure reaches " + ShortNumberText(p.peakSolidsPressure) + " kgf/cm2 at turn " +
                       ShortNumberText(p.peakSolidsPressureTurn) +
                       ", far beyond what a plug of pellets holds: the output is well below what the feed conveys, "
                       "and the melt film that would cap the pressure is not in the solids model.");
  }
  if (p.maxBrinkman > 2) {
    warnings.push_back("The melt film's Brinkman number reaches " + ShortNumberText(p.maxBrinkman) +
                       ": the film is hotter than the barrel somewhere and the melt may degrade.");
  }
  return warnings;
}

}  // namespace

const char* ScrewStageName(ScrewStage stage) {
  switch (stage) {
    case ScrewStage::Solids: return "solids";
    case ScrewStage::Melting: return "melting";
    case ScrewStage::Melt: return "melt";
  }
  return "";
}

double ScrewEnergy::Mismatch() const {
  const double scale = std::max({std::fabs(barrelHeat), std::fabs(viscousWork), std::fabs(enthalpyRise)});
  return scale > 0 ? (barrelHeat + viscousWork - enthalpyRise) / scale : 0;
}

double FeedCeiling(const PelletRequest& request) {
  if (PelletInputProblem(request.pellet)) return 0;
  auto state = std::make_unique<CalcState>();
  QuietServices quiet;
  // The ceiling is the search's, before any output.
  InputTexts texts = request.run.inputs;
  texts[Field::OutputRate].assign(1, '1');
  ReadInputData(*state, texts, request.run.decimalSeparator, quiet);
  if (state->InputValid == 0) return 0;
  const CaseNumbers c = NumbersOf(*state);
  const ScrewSections screw = LayOutScrew(request.run.zones, c.barrelDiameter, c.lengthRatio, c.channelDepth, c.pitch,
                                          c.flightWidth, c.barrelTemp);
  const PelletInputs& in = request.pellet;
  const plastication::SolidsConveying hopper(SectionAt(screw, 0), in[PelletField::BulkDensity] * kKgPerM3PerGPerCm3,
                                             {in[PelletField::BarrelFriction], in[PelletField::ScrewFriction]},
                                             request.rpm / 60);
  const std::optional<plastication::Conveying> free = hopper.NoPressureChange();
  return free ? free->output * 3600 : 0;
}

PelletOutcome RunPelletScrew(const PelletRequest& request, RunServices& services) {
  PelletOutcome out;
  const char separator = request.run.decimalSeparator;
  if (request.run.flowModel != FlowModel::Consistent) {
    return Fail(std::move(out), RunStatus::ImproperInput, messages::kPelletsNeedConsistentModel, services);
  }
  if (const std::optional<std::string> problem = PelletInputProblem(request.pellet)) {
    return Fail(std::move(out), RunStatus::ImproperInput, *problem, services);
  }
  // The case's own numbers lay out the screw; the texts driven at the speed give the melt's.
  auto state = std::make_unique<CalcState>();
  ReadInputData(*state, request.run.inputs, separator, services);
  if (state->InputValid == 0) {
    out.run.status = RunStatus::ImproperInput;
    out.run.invalidField = static_cast<Field>(state->InvalidField);
    out.run.detail = InputProblemText(*state, request.run.inputs, separator);
    return out;
  }
  const CaseNumbers c = NumbersOf(*state);
  RunRequest driven = request.run;
  std::vector<ScrewZone> zones = request.run.zones;
  if (zones.empty()) zones.push_back(ScrewZone{c.lengthRatio, c.channelDepth, c.channelDepth, {}, {}, {}});
  if (const std::optional<SweepResult> failed = DriveRequest(driven, zones, request.rpm)) {
    return Fail(std::move(out), failed->status, failed->message, services);
  }
  ScrewSections screw =
      LayOutScrew(zones, c.barrelDiameter, c.lengthRatio, c.channelDepth, c.pitch, c.flightWidth, c.barrelTemp);

  Plastication& p = out.plastication;
  p.output = c.output;
  p.meltingStartTurn = screw.FirstTurnHotterThan(request.pellet[PelletField::MeltingTemp]);
  PelletMarch march(request, c, screw, driven.inputs);
  ClearFaultFlags();
  try {
    if (auto failed = march.Solids(out)) return Fail(std::move(out), failed->status, failed->message, services);
    CheckFaultFlags("the solids conveying");
    if (p.meltingStartTurn && *p.meltingStartTurn < screw.Turns()) {
      if (auto failed = march.Melting(out)) return Fail(std::move(out), failed->status, failed->message, services);
      CheckFaultFlags("the melting");
    } else {
      p.unmeltedAtEnd = 1;
    }
  } catch (const ArithmeticFault& fault) {
    out.run.status = RunStatus::ArithmeticFault;
    out.run.detail = fault.what();
    return out;
  }
  const double solidHeat = march.SolidHeatToMelt();

  if (!march.melted) {
    // No melt stage: the results hold the stages that were.
    p.energy.enthalpyRise = march.poolMass * (solidHeat + march.poolEnthalpy) / 1000;
    out.run.warnings = Warnings(p);
    out.run.status = RunStatus::Finished;
    if (request.run.writeResultsFile) {
      try {
        WriteWholeFile(ResultPath(request.run), StageSummaryText(p, c.inletTemp));
      } catch (const OutputError& error) {
        return Fail(std::move(out), RunStatus::FileNotOpened, error.what(), services);
      }
    }
    return out;
  }

  // The melt stage: the zones left, from the pool's temperature and the pressure reached.
  RunRequest melt = request.run;
  melt.zones = screw.ZonesFrom(march.meltEndTurn);
  melt.inputs[Field::InletTemp] = ExactNumberText(march.meltTemp, separator);
  melt.startPressure = march.pressure;
  melt.partlyFilled = true;
  melt.uniformStart = true;
  melt.keptSteps = kKeepEverySteps;
  if (melt.zones.empty()) {
    // The bed is gone right at the screw's end.
    melt.zones.push_back(screw.spans.back().zone);
    melt.zones.back().turns = 1e-6;
  }
  if (const std::optional<SweepResult> failed = DriveRequest(melt, melt.zones, request.rpm)) {
    return Fail(std::move(out), failed->status, failed->message, services);
  }
  std::unique_ptr<ResultsSink> sink;
  ResultFile* file = nullptr;
  if (request.run.writeResultsFile) {
    auto made = std::make_unique<ResultFile>(ResultPath(melt), separator, melt.encoding, melt.flowModel);
    made->ExpectTrailer();
    file = made.get();
    sink = std::move(made);
  } else {
    sink = std::make_unique<NoResultsFile>();
  }
  out.run = RunCalculation(melt, services, *sink);
  for (const StepRecord& step : out.run.record.steps) {
    out.profile.push_back(ScrewStep{march.meltEndTurn + step.Turns, ScrewStage::Melt, 0, step.Pressure / kGfPerKgf,
                                    step.AvgTemp, std::nullopt});
  }
  for (const auto& [from, to] : out.run.record.starvedTurns) {
    AddStarved(p.starvedTurns, march.meltEndTurn + from, march.meltEndTurn + to);
  }
  if (out.run.status != RunStatus::Finished) return out;

  const OutletSummary& s = out.run.summary;
  p.meltConveyingKW = s.TotalPowerKW;
  p.energy.barrelHeat -= s.Cooling2KW;
  p.energy.viscousWork += s.TotalPowerKW - s.PressurePowerKW;
  p.energy.enthalpyRise =
      c.output / 3600 * (solidHeat + march.MeltSpecificHeat() * (s.AvgTemp - request.pellet[PelletField::MeltingTemp])) / 1000;
  const std::vector<std::string> meltWarnings = out.run.warnings;
  out.run.warnings = Warnings(p);
  out.run.warnings.insert(out.run.warnings.end(), meltWarnings.begin(), meltWarnings.end());
  if (file != nullptr) {
    const SinkWrite written = file->WriteTrailer(StageSummaryText(p, c.inletTemp));
    if (written.result != SinkWrite::Result::Written) {
      out.run.status = RunStatus::WriteError;
      out.run.detail = written.detail;
    }
  }
  return out;
}

}  // namespace kelvado
