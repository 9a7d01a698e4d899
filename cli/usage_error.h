#pragma once
// A command line or inputs file that cannot be understood: the program stops before any run.
#include <stdexcept>
#include <string>

namespace kelvado::cli {

class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace kelvado::cli
