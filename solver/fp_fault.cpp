// SPDX-License-Identifier: Apache-2.0
#include "solver/fp_fault.h"

#include <cfenv>

namespace kelvado {

void ClearFaultFlags() { std::feclearexcept(FE_ALL_EXCEPT); }

std::string RaisedFault() {
  const int raised = std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID);
  // An infinity from a division or an overflow usually goes on to an invalid operation:
  // name the cause.
  if (raised & FE_DIVBYZERO) return "division by zero";
  if (raised & FE_OVERFLOW) return "overflow";
  if (raised & FE_INVALID) return "invalid operation";
  return {};
}

void CheckFaultFlags(const char* stage) {
  if (std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID) == 0) return;
  throw ArithmeticFault(RaisedFault() + " in " + stage);
}

}  // namespace kelvado
