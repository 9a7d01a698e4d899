// SPDX-License-Identifier: Apache-2.0
#pragma once
// One run, one call: from the input texts to an outcome, the results file written through
// a sink the caller chooses.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "solver/input.h"
#include "solver/results_sink.h"
#include "solver/run_record.h"
#include "solver/run_warnings.h"
#include "solver/screw_zones.h"
#include "solver/services.h"

namespace kelvado {

enum class TextEncoding {
  ShiftJis,  // the degree-Celsius sign and the ideographic space as their two-byte pairs
  Utf8,      // the same text with those two characters in UTF-8
};

// How a step's flow field is built. Classic: the nested iterations whose profiles keep the
// shear rate continuous across nodes (the results files of old). Consistent: shear stresses
// linear in depth, so the momentum balance holds exactly (see solver/consistent_flow.h).
enum class FlowModel { Classic, Consistent };

// "classic" or "consistent", as the command line, the inputs file and the exports name them.
const char* FlowModelName(FlowModel model);
std::optional<FlowModel> FindFlowModel(std::string_view name);

struct RunRequest {
  RunRequest() = default;
  RunRequest(InputTexts inputs_, std::string resultFileName_, char decimalSeparator_ = '.',
             TextEncoding encoding_ = TextEncoding::ShiftJis, std::string resultFolder_ = {})
      : inputs(std::move(inputs_)),
        resultFileName(std::move(resultFileName_)),
        decimalSeparator(decimalSeparator_),
        encoding(encoding_),
        resultFolder(std::move(resultFolder_)) {}

  InputTexts inputs;           // Edit1 .. Edit17
  std::string resultFileName;  // Edit18, "Save File Name"; cut to 255 bytes
  char decimalSeparator = '.';
  TextEncoding encoding = TextEncoding::ShiftJis;
  std::string resultFolder;    // where a name without a folder lands; empty: the current folder
  // How many down-channel steps the outcome keeps (kKeepNoSteps, kKeepEverySteps, or a
  // limit for plots, reached by even thinning).
  std::size_t keptSteps = kKeepNoSteps;
  // False for a run that keeps numbers only (sweeps, pictures): no results file at all.
  bool writeResultsFile = true;
  // False for a run whose outcome is its summary alone (a sweep's case): no outlet profiles
  // in the record.
  bool keepOutletProfiles = true;
  FlowModel flowModel = FlowModel::Classic;
  // A screw of zones in series (consistent model only); empty: the case's one channel.
  std::vector<ScrewZone> zones;
  // A melt stage that goes on from the melting of a screw fed with pellets: the pressure it
  // starts at (gf/cm2), and a channel that may run partly filled, where the pressure would
  // fall below zero and so stays at zero (the turns are recorded).
  double startPressure = 0;
  bool partlyFilled = false;
  // The melt enters at the inlet temperature across the whole depth, mixed by the stage
  // before, instead of the profile that meets the barrel's temperature at the walls.
  bool uniformStart = false;
  // The material's highest processing temperature (C), where it gives one: a finished run
  // hotter at the outlet warns (else above kHotMeltTemp, solver/run_warnings.h).
  std::optional<double> maxProcessingTemp;
  // The window the material's viscosity was fitted over, where it records one: a finished run
  // whose temperatures or shear rates leave it warns.
  std::optional<FittedWindow> fittedWindow;
};

enum class RunStatus {
  NotRun,            // the outcome of a run that was never started
  Finished,
  ImproperInput,     // message shown, nothing written
  InnerFailed,       // viscosity iteration gave up; file deleted
  ClosureFailed,     // flow-rate closure gave up; file deleted
  Unstable,          // the numbers left their physical bounds (an unstable temperature march, an
                     // energy balance that does not close); message shown, file deleted
  FileNotOpened,     // a writer could not open the file; message shown
  ArithmeticFault,   // division by zero, overflow or invalid operation; file left as written
  WriteError,        // writing or closing failed after opening; file left as written
  Cancelled,         // the front end asked to stop; file deleted
};

// The outlet summary of a finished run, in the results file's units.
struct OutletSummary {
  double AvgTemp = 0;          // C
  double MixingDegree = 0;     // -
  double TotalPowerKW = 0;
  double EnthalpyDiffKW = 0;
  double PressurePowerKW = 0;
  double Cooling1KW = 0;
  double Cooling2KW = 0;
  double OutletPressure = 0;   // kgf/cm2
  double Rpm = 0;
};

struct RunOutcome {
  RunStatus status = RunStatus::NotRun;
  std::string detail;          // the fault's, the write error's or the unstable march's description;
                               // of a classic run that did not converge, what it saw and what to do
  std::optional<Field> invalidField;  // the field that made the input improper
  OutletSummary summary;       // meaningful when Finished
  std::vector<std::string> warnings;  // of a finished run: see solver/run_warnings.h
  RunRecord record;            // every completed step, and the outlet profiles when Finished
};

// Runs one calculation synchronously on the calling thread, writing the results file
// through `sink` (the request's file names are the sink's business). Reports through the
// services as the window would; never throws for anything the run itself meets.
RunOutcome RunCalculation(const RunRequest& request, RunServices& services, ResultsSink& sink);
// The same in the caller's calculation state, made anew at the start and left as the run
// ended: a caller running case after case (a sweep's worker) keeps one and allocates none.
RunOutcome RunCalculation(const RunRequest& request, RunServices& services, ResultsSink& sink, CalcState& state);

// Short English name of a status, for logs, tables and CSV.
const char* StatusName(RunStatus status);

}  // namespace kelvado
