// SPDX-License-Identifier: Apache-2.0
#include "cli/zone_texts.h"

#include <variant>

namespace kelvado::cli {

std::optional<std::vector<ScrewZone>> ReadZones(const std::vector<std::string>& texts, std::ostream& err) {
  auto parsed = ParseZones(texts);
  if (const std::string* problem = std::get_if<std::string>(&parsed)) {
    err << *problem << '\n';
    return std::nullopt;
  }
  return std::get<std::vector<ScrewZone>>(std::move(parsed));
}

}  // namespace kelvado::cli
