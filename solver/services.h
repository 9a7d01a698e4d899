// SPDX-License-Identifier: Apache-2.0
#pragma once
// What a run needs from the front end that started it. The window, the command line,
// the tests and the sweeps each provide their own implementation.
#include <atomic>
#include <string>

#include "solver/input.h"

namespace kelvado {

struct CalcState;

// How a long stage ended: its work is done (whatever it found), or the front end asked the
// run to stop.
enum class StageEnd { Done, Cancelled };

class RunServices {
 public:
  virtual ~RunServices() = default;

  // A modal box with the text and one OK button; returns once the user dismissed it.
  virtual void ShowMessage(const std::string& text) = 0;
  // The message of an input field that can not be used; a window also points at the field.
  virtual void ShowInputProblem(Field /*field*/, const std::string& text) { ShowMessage(text); }
  // Re-read the file list of the folder the results file lands in.
  virtual void RefreshFileList() = 0;
  // Show the finish dialog modally; returns when the user closed it.
  virtual void ShowFinishDialog() = 0;

  // Called after every completed down-channel step (progress bars, plots).
  virtual void StepFinished(const CalcState& /*state*/) {}
  // Asked once per step and inside the long iterations; true ends the run like a failure.
  virtual bool CancelRequested() { return false; }
};

// Services for a run nobody watches (sweeps, pictures): keeps the first message it was
// shown, answers nothing, and stops when the optional flag is set.
class QuietServices : public RunServices {
 public:
  explicit QuietServices(const std::atomic<bool>* cancel = nullptr) : cancel_(cancel) {}
  void ShowMessage(const std::string& text) override {
    if (message.empty()) message = text;
  }
  void RefreshFileList() override {}
  void ShowFinishDialog() override {}
  bool CancelRequested() override { return cancel_ != nullptr && cancel_->load(); }

  std::string message;

 private:
  const std::atomic<bool>* cancel_;
};

// The texts a run shows, exactly as the user sees them.
namespace messages {
inline constexpr const char* kImproperInput = "Input data is not proper, change and try again!";
inline constexpr const char* kFileCanNotOpen = "File can not open!";
inline constexpr const char* kZonesNeedConsistentModel =
    "A screw of zones runs in the consistent flow model only: choose it and try again!";
inline constexpr const char* kInnerNotConverged =
    "** This case does not converge. It seems <n> value is too small.";
inline constexpr const char* kClosureNotConverged =
    "This case does not converge. It seems <n> value is too small.";
}  // namespace messages

}  // namespace kelvado
