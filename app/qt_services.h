// SPDX-License-Identifier: Apache-2.0
#pragma once
// The window's side of a run. The run lives on the thread of a BackgroundRun; everything it
// asks of the window is carried over to the GUI thread, and the modal requests hold the run
// until the user has answered them.
#include <QString>
#include <functional>
#include <string>

#include "solver/services.h"

class BackgroundRun;

// What the window does for a run, always called on the GUI thread.
struct WindowCallbacks {
  std::function<void(const QString& text)> showMessage;
  std::function<void(int field, const QString& text)> showInputProblem;
  std::function<void()> refreshFileList;
  std::function<void()> showFinishDialog;
  std::function<void(double turns, double totalTurns)> stepFinished;
};

// The services a run on the background thread gets (never a run on the GUI thread itself,
// which would wait for itself). Message, file list and finish dialog block the run until
// the GUI thread has done them; progress is posted without waiting; cancel is the
// background run's flag. Once the background run is being destroyed the window is left
// alone and the requests return at once.
class QtRunServices final : public kelvado::RunServices {
 public:
  QtRunServices(BackgroundRun& run, const WindowCallbacks& callbacks);

  void ShowMessage(const std::string& text) override;
  void ShowInputProblem(kelvado::Field field, const std::string& text) override;
  void RefreshFileList() override;
  void ShowFinishDialog() override;
  void StepFinished(const kelvado::CalcState& state) override;
  bool CancelRequested() override;

 private:
  BackgroundRun& run_;
  const WindowCallbacks& callbacks_;
};
