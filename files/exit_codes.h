// SPDX-License-Identifier: Apache-2.0
#pragma once
// The exit status of kelvado-cli and of the window's headless modes: one value per way a
// run can end, so that scripts can tell a bad case from a bad command line or a full disk.
#include <string>
#include <string_view>

#include "files/output_file.h"
#include "solver/run.h"

namespace kelvado {

enum ExitCode : int {
  kExitFinished = 0,
  kExitStopped = 1,          // the program itself failed; the window: a case did not finish
  kExitUsage = 2,
  kExitImproperInput = 3,
  kExitInnerFailed = 4,      // the viscosity iteration gave up
  kExitClosureFailed = 5,    // the flow-rate closure gave up
  kExitFileNotOpened = 6,    // an output can not be opened or made
  kExitArithmeticFault = 7,
  kExitWriteError = 8,       // writing failed once an output was open, standard output too
  kExitNoOperatingPoint = 9, // operating-point: no crossing in the range, or a run did not finish
  kExitUnstable = 10,        // the numbers left their physical bounds (see solver/bounds.h)
  kExitInterrupted = 130,    // the work was cancelled: Ctrl-C (SIGINT), the one way to cancel
  kExitTerminated = 143,     // ... or SIGTERM
};

// Each status as the help, and so the manual pages, and the user's manual's table say it: one
// line, no '|'.
struct ExitStatusMeaning {
  ExitCode code;
  std::string_view meaning;
};
inline constexpr ExitStatusMeaning kExitStatusMeanings[] = {
    {kExitFinished, "finished; a table: its cases ran, whatever their outcomes"},
    {kExitStopped, "the program failed; kelvado: the run of a report or picture did not finish"},
    {kExitUsage, "usage error: a command line, inputs, case or materials file that can not be used"},
    {kExitImproperInput, "improper input: a field, zone or die section out of its range"},
    {kExitInnerFailed, "the viscosity iteration gave up"},
    {kExitClosureFailed, "the flow-rate closure gave up"},
    {kExitFileNotOpened, "an output can not be opened: read-only, a FIFO, socket or folder"},
    {kExitArithmeticFault, "arithmetic fault, named with the stage it arose in"},
    {kExitWriteError, "write error once an output was open (full disk, closed pipe), standard output too"},
    {kExitNoOperatingPoint, "operating-point: no point (no crossing, or a run did not finish)"},
    {kExitUnstable, "the numbers left their physical bounds (unstable march, energy balance open)"},
    {kExitInterrupted, "cancelled by Ctrl-C (SIGINT)"},
    {kExitTerminated, "cancelled by SIGTERM"},
};

// "Exit status:" and a line a status, its number in a column of five.
inline std::string ExitStatusTable() {
  std::string text = "Exit status:\n";
  for (const ExitStatusMeaning& status : kExitStatusMeanings) {
    std::string number = std::to_string(status.code);
    number.resize(5, ' ');
    text.append("  ").append(number).append(status.meaning).append("\n");
  }
  return text;
}

// An output that could not be opened is 6; one whose writing failed once open, 8.
inline ExitCode ExitCodeFor(const OutputError& error) {
  return dynamic_cast<const OutputWriteError*>(&error) != nullptr ? kExitWriteError : kExitFileNotOpened;
}

constexpr ExitCode ExitCodeFor(RunStatus status) {
  switch (status) {
    case RunStatus::Finished: return kExitFinished;
    case RunStatus::ImproperInput: return kExitImproperInput;
    case RunStatus::InnerFailed: return kExitInnerFailed;
    case RunStatus::ClosureFailed: return kExitClosureFailed;
    case RunStatus::Unstable: return kExitUnstable;
    case RunStatus::FileNotOpened: return kExitFileNotOpened;
    case RunStatus::ArithmeticFault: return kExitArithmeticFault;
    case RunStatus::WriteError: return kExitWriteError;
    case RunStatus::Cancelled: return kExitInterrupted;  // 143 when SIGTERM did it
    case RunStatus::NotRun: return kExitStopped;
  }
  return kExitStopped;
}

}  // namespace kelvado
