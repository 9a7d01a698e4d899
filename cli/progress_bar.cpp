#include "cli/progress_bar.h"

#include <algorithm>
#include <string>

namespace kelvado::cli {

void ProgressBar::Update(std::size_t done) {
  const std::lock_guard<std::mutex> lock(mutex_);
  done = std::min(done, total_);
  // Cases finish out of order on several threads: the bar never moves back.
  if (drawn_ && done <= shownDone_) return;
  const std::size_t percent = total_ == 0 ? 100 : done * 100 / total_;
  if (drawn_ && percent == shownPercent_ && done != total_) return;
  const std::size_t filled = total_ == 0 ? kWidth : done * kWidth / total_;
  std::string line = "\r[";
  line.append(filled, '#').append(kWidth - filled, ' ').append("] ");
  line.append(std::to_string(done)).append("/").append(std::to_string(total_));
  line.append(" cases ").append(std::to_string(percent)).append("%");
  out_ << line << std::flush;
  shownPercent_ = percent;
  shownDone_ = done;
  drawn_ = true;
}

void ProgressBar::Clear() {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (!drawn_) return;
  out_ << '\r' << std::string(kWidth + 40, ' ') << '\r' << std::flush;
  drawn_ = false;
}

}  // namespace kelvado::cli
