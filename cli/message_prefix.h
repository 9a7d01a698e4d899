// SPDX-License-Identifier: Apache-2.0
#pragma once
// Standard error with the program's name in front of every line, so that a message in a
// script's log says where it came from.
#include <ostream>
#include <streambuf>
#include <string>

namespace kelvado::cli {

class PrefixedLines final : public std::streambuf {
 public:
  PrefixedLines(std::ostream& target, std::string prefix) : target_(target), prefix_(std::move(prefix)) {}

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  std::ostream& target_;
  std::string prefix_;
  bool lineStart_ = true;
};

// An ostream over PrefixedLines.
class PrefixedStream final : public std::ostream {
 public:
  PrefixedStream(std::ostream& target, std::string prefix) : std::ostream(&lines_), lines_(target, std::move(prefix)) {}

 private:
  PrefixedLines lines_;
};

}  // namespace kelvado::cli
