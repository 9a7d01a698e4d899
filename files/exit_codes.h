// SPDX-License-Identifier: Apache-2.0
#pragma once
// The exit status of kelvado-cli: one value per way a run can end, so that scripts can
// tell a bad case from a bad command line or a full disk.
#include "solver/run.h"

namespace kelvado {

enum ExitCode : int {
  kExitFinished = 0,
  kExitStopped = 1,          // the program itself failed
  kExitUsage = 2,
  kExitImproperInput = 3,
  kExitInnerFailed = 4,      // the viscosity iteration gave up
  kExitClosureFailed = 5,    // the flow-rate closure gave up
  kExitFileNotOpened = 6,    // also: an export or a sweep table can not be written
  kExitArithmeticFault = 7,
  kExitWriteError = 8,       // writing failed after the results file was opened; also
                             // standard output could not be written
  kExitNoOperatingPoint = 9, // operating-point: no crossing in the range, or a run did not finish
  kExitUnstable = 10,        // the numbers left their physical bounds (see solver/bounds.h)
  kExitInterrupted = 130,    // the work was cancelled: Ctrl-C (SIGINT), the one way to cancel
  kExitTerminated = 143,     // ... or SIGTERM
};

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
