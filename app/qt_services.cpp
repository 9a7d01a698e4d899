// SPDX-License-Identifier: Apache-2.0
#include "app/qt_services.h"

#include "files/interrupt.h"

#include "app/background_run.h"
#include "solver/calc_state.h"

QtRunServices::QtRunServices(BackgroundRun& run, const WindowCallbacks& callbacks)
    : run_(run), callbacks_(callbacks) {}

void QtRunServices::ShowMessage(const std::string& text) {
  const QString message = QString::fromStdString(text);
  run_.callAndWait([this, &message] { callbacks_.showMessage(message); });
}

void QtRunServices::ShowInputProblem(kelvado::Field field, const std::string& text) {
  const QString message = QString::fromStdString(text);
  run_.callAndWait([this, field, &message] { callbacks_.showInputProblem(static_cast<int>(field), message); });
}

void QtRunServices::RefreshFileList() {
  run_.callAndWait([this] { callbacks_.refreshFileList(); });
}

void QtRunServices::ShowFinishDialog() {
  run_.callAndWait([this] { callbacks_.showFinishDialog(); });
}

void QtRunServices::StepFinished(const kelvado::CalcState& state) {
  const double turns = state.Turns;
  const double total = state.LengthRatio;
  // Done after this step, perhaps after the run: the window's callbacks, not this object.
  const WindowCallbacks& callbacks = callbacks_;
  run_.post([&callbacks, turns, total] { callbacks.stepFinished(turns, total); });
  kelvado::PauseAfterStepForTests();
}

bool QtRunServices::CancelRequested() { return run_.cancelRequested(); }
