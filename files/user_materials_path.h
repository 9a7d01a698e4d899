// SPDX-License-Identifier: Apache-2.0
#pragma once
// Where the user's materials file lives. Here rather than with the materials, so that the
// rule for outputs can keep every command from writing over it.
#include <filesystem>
#include <optional>

namespace kelvado {

// $XDG_CONFIG_HOME/kelvado/materials.json, or $HOME/.config/kelvado/materials.json when
// XDG_CONFIG_HOME is unset, empty or relative; none without either.
std::optional<std::filesystem::path> UserMaterialsPath();

}  // namespace kelvado
