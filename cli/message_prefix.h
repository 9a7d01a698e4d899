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
  ~PrefixedLines() override;
  PrefixedLines(const PrefixedLines&) = delete;
  PrefixedLines& operator=(const PrefixedLines&) = delete;

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  bool Emit();  // writes what is pending, the prefix first at a line's start

  std::ostream& target_;
  std::string prefix_;
  std::string pending_;
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
