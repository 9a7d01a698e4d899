// SPDX-License-Identifier: Apache-2.0
#pragma once
// The run's window services on a terminal: messages go to standard error as they are;
// there is no file list to refresh and no finish dialog to wait for; a signal cancels.
#include <ostream>
#include <string>

#include "solver/services.h"

namespace kelvado::cli {

class ConsoleServices : public RunServices {
 public:
  explicit ConsoleServices(std::ostream& messages) : messages_(messages) {}

  void ShowMessage(const std::string& text) override;
  // The last text shown, so that a front end repeats nothing the run said already.
  const std::string& LastMessage() const { return last_; }
  void RefreshFileList() override {}
  void ShowFinishDialog() override {}
  void StepFinished(const CalcState& state) override;
  // Ctrl-C or SIGTERM, once the handlers are installed.
  bool CancelRequested() override;

 private:
  std::ostream& messages_;
  std::string last_;
};

}  // namespace kelvado::cli
