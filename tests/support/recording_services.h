// SPDX-License-Identifier: Apache-2.0
#pragma once
// Services for tests: remember every call instead of showing anything.
#include <functional>
#include <string>
#include <vector>

#include "solver/calc_state.h"
#include "solver/services.h"

namespace kelvado::testing {

class RecordingServices : public RunServices {
 public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void RefreshFileList() override { ++refreshes; }
  void ShowFinishDialog() override { ++finishDialogs; }
  void StepFinished(const CalcState& state) override {
    ++steps;
    if (onStep) onStep(state);
  }
  bool CancelRequested() override { return cancel; }

  std::vector<std::string> messages;
  int refreshes = 0;
  int finishDialogs = 0;
  int steps = 0;
  bool cancel = false;
  std::function<void(const CalcState&)> onStep;
};

}  // namespace kelvado::testing
