// SPDX-License-Identifier: Apache-2.0
#pragma once
// Floating-point faults are checked, not trapped: the run clears the flags when it starts
// and tests them at stage ends, once per pass of every loop and before each file write.
// Flags are per thread, so runs on worker threads stay independent.
#include <stdexcept>
#include <string>

namespace kelvado {

class ArithmeticFault : public std::runtime_error {
 public:
  explicit ArithmeticFault(const std::string& what) : std::runtime_error(what) {}
};

// Clears division-by-zero, overflow and invalid-operation flags (and the harmless ones).
void ClearFaultFlags();

// Throws ArithmeticFault naming the raised fault and the stage that raised it:
// "overflow in the operating conditions"; the fault is "division by zero", "overflow" or
// "invalid operation".
void CheckFaultFlags(const char* stage);

// The raised fault's name, or an empty string.
std::string RaisedFault();

}  // namespace kelvado
