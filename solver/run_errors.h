#pragma once
// Ways a run ends early that unwind through the stages to the driver.
#include <stdexcept>
#include <string>

#include "solver/fp_fault.h"

namespace kelvado {

// The front end asked the run to stop.
class RunCancelled : public std::exception {
 public:
  const char* what() const noexcept override { return "run cancelled"; }
};

// Writing or closing the results file failed after it was opened.
class WriteError : public std::runtime_error {
 public:
  explicit WriteError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace kelvado
