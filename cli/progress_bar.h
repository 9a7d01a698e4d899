// SPDX-License-Identifier: Apache-2.0
#pragma once
// A bar of cases done for a terminal, redrawn in place, with the pace and the time left
// once there is a second to judge them by; safe to update from the worker threads of a
// sweep.
#include <cstddef>
#include <functional>
#include <mutex>
#include <ostream>

namespace kelvado::cli {

class ProgressBar {
 public:
  // Seconds from any fixed moment; the steady clock unless a test gives its own.
  using Clock = std::function<double()>;

  ProgressBar(std::ostream& out, std::size_t total, Clock clock = {});

  // Redraws when the bar or the percentage has moved since the last drawing, or a second
  // has passed and more cases are done.
  void Update(std::size_t done);
  // Blanks the bar's line, leaving the cursor at its start.
  void Clear();

 private:
  static constexpr std::size_t kWidth = 40;

  std::ostream& out_;
  std::size_t total_;
  Clock clock_;
  double start_;
  std::mutex mutex_;
  std::size_t shownPercent_ = 0;
  std::size_t shownDone_ = 0;
  double shownAt_ = 0;
  bool drawn_ = false;
};

}  // namespace kelvado::cli
