// SPDX-License-Identifier: Apache-2.0
#pragma once
// Inputs files: one field per line as `option-name = text`, `#` starts a comment, blank
// lines are ignored. The text is handed to the run as the window field would hold it.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "case/fields.h"
#include "solver/run.h"

namespace kelvado {

// Limits past which a file is taken for the wrong one, not read on.
inline constexpr std::size_t kMaxInputsFileBytes = 1 << 20;
inline constexpr std::size_t kMaxInputsLineBytes = 4 << 10;

// What an inputs file holds: the field texts (indexed like FieldOverrides) and the die, as
// `die = SECTION` lines in order, which only operating-point and die-curve read.
struct InputsFile : FieldOverrides {
  std::vector<std::string> dieSections;
  std::vector<std::string> zones;      // `zone = TEXT` lines, from the hopper side
  std::optional<FlowModel> flowModel;  // `flow-model = classic|consistent`
  std::optional<std::string> material; // `material = NAME`
  std::optional<std::string> rpm;      // `rpm = R`: the screw speed that drives the run
  std::optional<Feed> feed;            // `feed = melt|pellets`
  PelletTexts pellet;                  // `bulk-density = ...` and the rest of a pellet feed
  // Where each given field, die section and the material stand, for messages about their values.
  PerField<std::size_t> fieldLines{};
  std::vector<std::size_t> dieLines;
  std::vector<std::size_t> zoneLines;
  std::size_t materialLine = 0;
  std::size_t rpmLine = 0;
  std::array<std::size_t, kPelletFieldCount> pelletLines{};
};

// Parses the content of an inputs file (a leading UTF-8 byte-order mark is skipped). `origin` names it in error messages.
// Throws InputError with the line number for a malformed line, an unknown name or a field
// given twice.
InputsFile ParseInputsText(std::string_view content, std::string_view origin);

// Reads and parses the file; a file that cannot be read or is too large is a InputError too.
InputsFile ReadInputsFile(const std::string& path);

}  // namespace kelvado
