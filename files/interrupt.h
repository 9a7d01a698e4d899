// SPDX-License-Identifier: Apache-2.0
#pragma once
// Ctrl-C (SIGINT) and SIGTERM cancel the work like the window's Cancel: the run or the
// cases stop at their next check, the front end tidies up and exits with 128 + the signal.
#include <atomic>
#include <optional>

#include "files/exit_codes.h"

namespace kelvado {

// Installs the handlers for as long as it lives; the previous ones come back after.
class InterruptHandlers {
 public:
  InterruptHandlers();
  ~InterruptHandlers();
  InterruptHandlers(const InterruptHandlers&) = delete;
  InterruptHandlers& operator=(const InterruptHandlers&) = delete;
};

// Set once a handled signal has arrived.
const std::atomic<bool>& InterruptRequested();
// The exit status for the signal that arrived, if one did.
std::optional<ExitCode> InterruptExitCode();

// A run of the longest channel ends in a few hundredths of a second, too soon for a test to
// cancel it by hand or by signal: KELVADO_TEST_STEP_PAUSE_MS makes the front ends wait that
// long after every step. Unset, nothing waits.
void PauseAfterStepForTests();

}  // namespace kelvado
