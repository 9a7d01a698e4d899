// SPDX-License-Identifier: Apache-2.0
#pragma once
// A case that cannot be understood: an inputs or case file, a command line, a material name.
// The front ends stop before any run; the message names the file and line where there is one.
#include <stdexcept>
#include <string>
#include <string_view>

#include "solver/shown_text.h"

namespace kelvado {

class InputError : public std::runtime_error {
 public:
  explicit InputError(const std::string& what) : std::runtime_error(what) {}

  // The message made of `parts` in order. The parts may echo what the user gave: control
  // bytes and bytes that are no UTF-8 are shown as \xNN, so that a message never carries a
  // NUL, moves the cursor or breaks the terminal's text (solver/shown_text.h).
  template <typename... Parts>
  static InputError Of(const Parts&... parts) {
    std::string text;
    ((text += ShownText(std::string_view(parts))), ...);
    return InputError(text);
  }
};

}  // namespace kelvado
