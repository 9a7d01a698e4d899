// SPDX-License-Identifier: Apache-2.0
#include "cli/progress_bar.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

namespace kelvado::cli {
namespace {

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// 42 s as "0:42", an hour and more as "1:02:03".
std::string Duration(double seconds) {
  const auto whole = static_cast<long long>(std::ceil(seconds));
  char text[32];
  if (whole >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
  }
  return text;
}

}  // namespace

ProgressBar::ProgressBar(std::ostream& out, std::size_t total, Clock clock)
    : out_(out), total_(total), clock_(clock ? std::move(clock) : Clock(SteadySeconds)), start_(clock_()) {}

void ProgressBar::Update(std::size_t done) {
  const std::lock_guard<std::mutex> lock(mutex_);
  done = std::min(done, total_);
  // Cases finish out of order on several threads: the bar never moves back.
  if (drawn_ && done <= shownDone_) return;
  const double now = clock_();
  const std::size_t percent = total_ == 0 ? 100 : done * 100 / total_;
  if (drawn_ && percent == shownPercent_ && done != total_ && now - shownAt_ < 1.0) return;
  const std::size_t filled = total_ == 0 ? kWidth : done * kWidth / total_;
  std::string line = "\r[";
  line.append(filled, '#').append(kWidth - filled, ' ').append("] ");
  line.append(std::to_string(done)).append("/").append(std::to_string(total_));
  line.append(" cases ").append(std::to_string(percent)).append("%");
  const double elapsed = now - start_;
  if (elapsed >= 1.0 && done > 0) {
    const double rate = static_cast<double>(done) / elapsed;
    char pace[48];
    std::snprintf(pace, sizeof pace, ", %.1f cases/s", rate);
    line.append(pace);
    if (done < total_) line.append(", ").append(Duration(static_cast<double>(total_ - done) / rate)).append(" left");
  }
  out_ << line << std::flush;
  shownPercent_ = percent;
  shownDone_ = done;
  shownAt_ = now;
  drawn_ = true;
}

void ProgressBar::Clear() {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (!drawn_) return;
  out_ << '\r' << std::string(kWidth + 80, ' ') << '\r' << std::flush;
  drawn_ = false;
}

}  // namespace kelvado::cli
