#pragma once
// A bar of cases done for a terminal, redrawn in place; safe to update from the worker
// threads of a sweep.
#include <cstddef>
#include <mutex>
#include <ostream>

namespace kelvado::cli {

class ProgressBar {
 public:
  ProgressBar(std::ostream& out, std::size_t total) : out_(out), total_(total) {}

  // Redraws when the bar or the percentage has moved since the last drawing.
  void Update(std::size_t done);
  // Blanks the bar's line, leaving the cursor at its start.
  void Clear();

 private:
  static constexpr std::size_t kWidth = 40;

  std::ostream& out_;
  std::size_t total_;
  std::mutex mutex_;
  std::size_t shownPercent_ = 0;
  std::size_t shownDone_ = 0;
  bool drawn_ = false;
};

}  // namespace kelvado::cli
