// SPDX-License-Identifier: Apache-2.0
#pragma once
// Numbers in the solver's messages: locale-free (a message reads the same whatever the
// process's numeric locale), with the digits asked for.
#include <charconv>
#include <string>

namespace kelvado {

inline std::string MessageNumber(double value, std::chars_format format, int digits) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, value, format, digits);
  return std::string(text, end.ptr);
}

}  // namespace kelvado
