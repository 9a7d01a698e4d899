// SPDX-License-Identifier: Apache-2.0
#pragma once
// Field texts given on the command line or in an inputs file, by the option name of each
// input field; a field that nobody gave keeps the window's default text.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "plastication/pellet_inputs.h"
#include "solver/input.h"
#include "solver/input_fields.h"

namespace kelvado {

using FieldOverrides = PerField<std::optional<std::string>>;

// The texts of a pellet-fed screw's values (kPelletFields order), as given.
using PelletTexts = std::array<std::optional<std::string>, kPelletFieldCount>;

inline void ApplyPelletTexts(PelletTexts& texts, const PelletTexts& overrides) {
  for (std::size_t i = 0; i < kPelletFieldCount; ++i) {
    if (overrides[i]) texts[i] = overrides[i];
  }
}

inline void ApplyOverrides(InputTexts& texts, const FieldOverrides& overrides) {
  for (int i = 0; i < kInputCount; ++i) {
    if (overrides[i]) texts[i] = *overrides[i];
  }
}

}  // namespace kelvado
