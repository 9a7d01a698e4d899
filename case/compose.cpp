// SPDX-License-Identifier: Apache-2.0
#include "case/compose.h"

#include <algorithm>

#include "solver/input_error.h"

namespace kelvado {

Material FindMaterial(std::string_view name, const MaterialCatalog* catalog) {
  MaterialCatalog loaded;
  if (!catalog) {
    try {
      loaded = MaterialCatalog::Load();
    } catch (const MaterialError& error) {
      throw InputError::Of(error.what());
    }
    catalog = &loaded;
  }
  if (const Material* material = catalog->Find(name)) return *material;
  throw InputError::Of("unknown material '", name, "'; 'kelvado-cli materials' lists them");
}

CaseData ComposeCase(const InputsFile* file, const CaseSources& given, char separator, const MaterialCatalog* catalog) {
  CaseData c = DefaultCase(separator);
  // One material at a time: the options' replaces the file's. The fields the file gives go
  // over it, and those of the options over everything.
  c.material = given.material;
  if (!c.material && file) c.material = file->material;
  const bool fileGivesAll = file && std::all_of(kMaterialFields.begin(), kMaterialFields.end(),
                                                [file](Field f) { return (*file)[f].has_value(); });
  if (given.material || (c.material && !fileGivesAll)) {
    const Material material = FindMaterial(*c.material, catalog);
    ApplyMaterial(material, c.inputs, separator);
    c.maxProcessingTemp = material.maxProcessingTemp;
    c.fittedWindow = material.fitted;
    if (material.solid) {
      for (std::size_t i = 0; i < kSolidStateCount; ++i) c.pellet[i] = ExactNumberText((*material.solid)[i], separator);
    }
  }
  if (file) {
    ApplyOverrides(c.inputs, *file);
    if (file->flowModel) c.flowModel = *file->flowModel;
    c.dieSections = file->dieSections;
    c.zones = file->zones;
    c.rpm = file->rpm;
    if (file->feed) c.feed = *file->feed;
    ApplyPelletTexts(c.pellet, file->pellet);
  }
  if (!given.zones.empty()) c.zones = given.zones;
  if (given.rpm) c.rpm = given.rpm;
  ApplyOverrides(c.inputs, given.fields);
  if (given.flowModel) c.flowModel = *given.flowModel;
  if (given.feed) c.feed = *given.feed;
  ApplyPelletTexts(c.pellet, given.pellet);
  // A case that writes the values of the material it names (as the window saves one) keeps
  // that material's limits while its fields still hold them, as the window does: a run of it
  // warns here as there. Where the material can not be found the case runs as it always did.
  if (!given.material && c.material && fileGivesAll) {
    MaterialCatalog loaded;
    try {
      if (!catalog) loaded = MaterialCatalog::Load();
    } catch (const MaterialError&) {
      return c;
    }
    if (const Material* material = CaseMaterial(c, catalog ? *catalog : loaded, separator)) {
      c.maxProcessingTemp = material->maxProcessingTemp;
      c.fittedWindow = material->fitted;
    }
  }
  return c;
}

const Material* CaseMaterial(const CaseData& c, const MaterialCatalog& catalog, char separator) {
  if (c.material) {
    const Material* named = catalog.Find(*c.material);
    return named && HoldsMaterial(c.inputs, *named, separator) ? named : nullptr;
  }
  for (const std::vector<Material>* list : {&catalog.library, &catalog.user}) {
    for (const Material& m : *list) {
      if (HoldsMaterial(c.inputs, m, separator)) return &m;
    }
  }
  return nullptr;
}

CaseData ComposeCase(const CaseSources& given, char separator) {
  std::optional<InputsFile> file;
  if (given.inputsFile) file = ReadInputsFile(*given.inputsFile);
  return ComposeCase(file ? &*file : nullptr, given, separator);
}

}  // namespace kelvado
