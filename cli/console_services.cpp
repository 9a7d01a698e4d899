// SPDX-License-Identifier: Apache-2.0
#include "cli/console_services.h"

#include "files/interrupt.h"

namespace kelvado::cli {

void ConsoleServices::ShowMessage(const std::string& text) {
  messages_ << text << '\n';
  messages_.flush();
  last_ = text;
}

void ConsoleServices::StepFinished(const CalcState&) { PauseAfterStepForTests(); }

bool ConsoleServices::CancelRequested() { return InterruptRequested().load(); }

}  // namespace kelvado::cli
