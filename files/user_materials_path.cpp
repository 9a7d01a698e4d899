// SPDX-License-Identifier: Apache-2.0
#include "files/user_materials_path.h"

#include <cstdlib>

namespace kelvado {

std::optional<std::filesystem::path> UserMaterialsPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::filesystem::path folder;
  if (config != nullptr && std::filesystem::path(config).is_absolute()) {
    folder = config;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    folder = std::filesystem::path(home) / ".config";
  } else {
    return std::nullopt;
  }
  return folder / "kelvado" / "materials.json";
}

}  // namespace kelvado
