// SPDX-License-Identifier: Apache-2.0
#pragma once
// The one order in which a case is put together, for the command line and the window alike:
// the default texts, then the material, then the inputs file's lines, then the options.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "case/case_file.h"
#include "case/fields.h"
#include "case/inputs_file.h"
#include "materials/material_library.h"

namespace kelvado {

// What a front end gives besides the defaults: field texts that win over everything, a
// material that replaces the file's, the inputs file, a flow model that replaces the file's.
struct CaseSources {
  FieldOverrides fields;
  std::optional<std::string> material;
  std::optional<std::string> inputsFile;
  std::optional<FlowModel> flowModel;
  std::vector<std::string> zones;  // replace the file's when given
  std::optional<std::string> rpm;  // drives the run at this screw speed; replaces the file's
  std::optional<Feed> feed;        // replaces the file's
  PelletTexts pellet;              // win over the file's and the material's
};

// The material of that name (capitals or not) in `catalog`, or in the installed library and
// the user's materials when none is given. Throws InputError for an unknown name or a
// materials file that can not be read.
Material FindMaterial(std::string_view name, const MaterialCatalog* catalog = nullptr);

// The case of `file` (may be null) and `given`, the defaults written with `separator`. The
// material named by `given`, else by the file, fills the eight material fields; a file's
// material is looked up only when the file leaves one of the eight out, so that a case that
// writes its values runs and opens the same where that material is missing. The result
// names the material whichever way. Throws InputError as FindMaterial does.
CaseData ComposeCase(const InputsFile* file, const CaseSources& given, char separator,
                     const MaterialCatalog* catalog = nullptr);

// The same with `given.inputsFile` read first (ReadInputsFile).
CaseData ComposeCase(const CaseSources& given, char separator);

// The material whose values a case's eight material fields hold: the one the case names (when
// its values are the case's), or for a case that names none the first with those values, the
// library's before the user's; null for neither.
const Material* CaseMaterial(const CaseData& c, const MaterialCatalog& catalog, char separator);

inline InputTexts ComposeInputTexts(const CaseSources& given, char separator) {
  return ComposeCase(given, separator).inputs;
}

}  // namespace kelvado
