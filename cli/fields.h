#pragma once
// Field texts given on the command line or in an inputs file, by the option name of each
// input field; a field that nobody gave keeps the window's default text.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "solver/input.h"
#include "solver/input_fields.h"

namespace kelvado::cli {

using FieldOverrides = std::array<std::optional<std::string>, kInputCount>;

// The field whose option name (without "--") is `name`.
inline std::optional<int> FindField(std::string_view name) {
  const int index = FieldIndex(name);
  return index < 0 ? std::nullopt : std::optional<int>(index);
}

inline void ApplyOverrides(InputTexts& texts, const FieldOverrides& overrides) {
  for (int i = 0; i < kInputCount; ++i) {
    if (overrides[i]) texts[i] = *overrides[i];
  }
}

}  // namespace kelvado::cli
