// SPDX-License-Identifier: Apache-2.0
#include "materials/material_library.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <system_error>

#include "files/bounded_read.h"
#include "solver/input_fields.h"

namespace kelvado {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

constexpr std::size_t kMaxMaterialsFileBytes = 4 << 20;
constexpr std::string_view kUserSource = "entered by the user";

template <typename... Parts>
[[noreturn]] void Fail(const Parts&... parts) {
  std::string text;
  (text.append(std::string_view(parts)), ...);
  throw MaterialError(text);
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return Lower(x) == Lower(y); });
}

// What a name must not be, so that an inputs file's `material = NAME` line reads it back.
std::string_view NameFault(std::string_view name) {
  if (name.empty()) return "the name is empty";
  if (name.find('#') != std::string_view::npos) return "a name can not hold '#'";
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return "a name can not hold a control character";
  }
  if (name.front() == ' ' || name.back() == ' ') return "a name can not begin or end with a blank";
  return {};
}

std::string TextKey(const Json& entry, const char* key, bool required, const std::string& where) {
  const auto it = entry.find(key);
  if (it == entry.end()) {
    if (required) Fail(where, "has no '", key, "'");
    return {};
  }
  if (!it->is_string()) Fail(where, "'", key, "' is not a text");
  return it->get<std::string>();
}

Material ParseEntry(const Json& entry, const std::string& where) {
  if (!entry.is_object()) Fail(where, "is not an object");
  for (const auto& [key, value] : entry.items()) {
    const bool known = key == "name" || key == "family" || key == "source" || key == "conversion" ||
                       std::any_of(kMaterialFields.begin(), kMaterialFields.end(),
                                   [&key](Field f) { return FieldInfo(f).optionName == key; });
    if (!known) Fail(where, "has an unknown key '", key, "'");
  }
  Material m;
  m.name = TextKey(entry, "name", true, where);
  if (const std::string_view fault = NameFault(m.name); !fault.empty()) Fail(where, fault);
  const std::string named = where + "('" + m.name + "') ";
  m.family = TextKey(entry, "family", false, named);
  m.source = TextKey(entry, "source", true, named);
  if (m.source.empty()) Fail(named, "has an empty source");
  m.conversion = TextKey(entry, "conversion", false, named);
  for (std::size_t i = 0; i < kMaterialFields.size(); ++i) {
    const std::string_view key = FieldInfo(kMaterialFields[i]).optionName;
    const auto it = entry.find(key);
    if (it == entry.end()) Fail(named, "has no '", key, "'");
    if (!it->is_number()) Fail(named, "'", key, "' is not a number");
    m.values[i] = it->get<double>();
    if (!std::isfinite(m.values[i])) Fail(named, "'", key, "' is not a finite number");
  }
  return m;
}

Json EntryJson(const Material& m) {
  Json entry = {{"name", m.name}};
  if (!m.family.empty()) entry["family"] = m.family;
  entry["source"] = m.source;
  if (!m.conversion.empty()) entry["conversion"] = m.conversion;
  for (std::size_t i = 0; i < kMaterialFields.size(); ++i) {
    entry[std::string(FieldInfo(kMaterialFields[i]).optionName)] = m.values[i];
  }
  return entry;
}


}  // namespace

double Material::Value(Field field) const {
  const auto it = std::find(kMaterialFields.begin(), kMaterialFields.end(), field);
  if (it == kMaterialFields.end()) throw std::out_of_range("not a material field");
  return values[static_cast<std::size_t>(it - kMaterialFields.begin())];
}

std::vector<Material> ParseMaterials(std::string_view content, std::string_view origin) {
  const std::string file(origin);
  Json document;
  try {
    document = Json::parse(content);
  } catch (const Json::exception& error) {  // a syntax error, or a number out of a double's range
    Fail(file, ": not a materials file: ", error.what());
  }
  const auto list = document.is_object() ? document.find("materials") : document.end();
  if (list == document.end() || !list->is_array()) Fail(file, ": not a materials file: no \"materials\" list");
  std::vector<Material> materials;
  for (std::size_t i = 0; i < list->size(); ++i) {
    Material m = ParseEntry((*list)[i], file + ": material " + std::to_string(i + 1) + " ");
    for (const Material& earlier : materials) {
      if (SameName(earlier.name, m.name)) Fail(file, ": the name '", m.name, "' is given twice");
    }
    materials.push_back(std::move(m));
  }
  return materials;
}

std::vector<Material> ReadMaterialsFile(const fs::path& path) {
  std::string content;
  try {
    content = ReadBoundedFile(path.string(), kMaxMaterialsFileBytes, "the materials file");
  } catch (const ReadError& error) {
    Fail(error.what());
  }
  return ParseMaterials(content, path.string());
}

void WriteMaterialsFile(const std::vector<Material>& materials, const fs::path& path) {
  Json list = Json::array();
  for (const Material& m : materials) list.push_back(EntryJson(m));
  std::string text;
  try {
    text = Json{{"materials", list}}.dump(2) + "\n";
  } catch (const Json::type_error&) {
    Fail("can not write the materials file '", path.string(), "': a text is not UTF-8");
  }
  std::error_code ec;
  if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
  const fs::path partial = path.string() + ".partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
      fs::remove(partial, ec);
      Fail("can not write the materials file '", path.string(), "'");
    }
  }
  fs::rename(partial, path, ec);
  if (ec) {
    fs::remove(partial, ec);
    Fail("can not write the materials file '", path.string(), "'");
  }
}

std::vector<fs::path> LibraryFileCandidates() {
  std::vector<fs::path> candidates;
  std::error_code ec;
  // share/kelvado beside the program's folder, as installed (bin/ and share/) and as the
  // build tree lays it out for its programs and, a folder further down, its tests.
  fs::path folder = fs::read_symlink("/proc/self/exe", ec).parent_path();
  for (int up = 0; !ec && up < 3 && folder.has_relative_path(); ++up) {
    folder = folder.parent_path();
    candidates.push_back(folder / "share" / "kelvado" / "materials.json");
  }
#ifdef KELVADO_INSTALL_DATADIR
  candidates.push_back(fs::path(KELVADO_INSTALL_DATADIR) / "kelvado" / "materials.json");
#endif
  return candidates;
}

fs::path FindLibraryFile() {
  std::string looked;
  for (const fs::path& candidate : LibraryFileCandidates()) {
    std::error_code ec;
    if (fs::is_regular_file(candidate, ec)) return candidate;
    looked += looked.empty() ? "" : ", ";
    looked += candidate.string();
  }
  Fail("the material library was not found; looked for ", looked);
}

fs::path UserMaterialsFile() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  fs::path folder;
  if (config != nullptr && fs::path(config).is_absolute()) {
    folder = config;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    folder = fs::path(home) / ".config";
  } else {
    Fail("neither XDG_CONFIG_HOME nor HOME is set: no place for the user's materials");
  }
  return folder / "kelvado" / "materials.json";
}

std::optional<fs::path> UserMaterialsFileIfAny() {
  try {
    return UserMaterialsFile();
  } catch (const MaterialError&) {
    return std::nullopt;
  }
}

MaterialCatalog MaterialCatalog::Load() { return Load(FindLibraryFile(), UserMaterialsFile()); }

MaterialCatalog MaterialCatalog::Load(const fs::path& libraryFile, const fs::path& userFile) {
  MaterialCatalog catalog;
  catalog.libraryFile = libraryFile;
  catalog.userFile = userFile;
  catalog.library = ReadMaterialsFile(libraryFile);
  std::error_code ec;
  if (fs::exists(userFile, ec)) catalog.user = ReadMaterialsFile(userFile);
  catalog.SetAsideLibraryNames();
  return catalog;
}

void MaterialCatalog::SetAsideLibraryNames() {
  std::vector<Material> kept;
  for (Material& m : user) {
    const bool taken = std::any_of(library.begin(), library.end(), [&](const Material& l) { return SameName(l.name, m.name); });
    if (!taken) {
      kept.push_back(std::move(m));
      continue;
    }
    warnings.push_back(userFile.string() + ": the material '" + m.name +
                       "' has the name of a library material and is not loaded; rename it there");
    setAside.push_back(std::move(m));
  }
  user = std::move(kept);
}

const Material* MaterialCatalog::Find(std::string_view name) const {
  for (const std::vector<Material>* list : {&library, &user}) {
    for (const Material& m : *list) {
      if (SameName(m.name, name)) return &m;
    }
  }
  return nullptr;
}

std::vector<Material> MaterialCatalog::WithSetAside(std::vector<Material> materials) const {
  materials.insert(materials.end(), setAside.begin(), setAside.end());
  return materials;
}

void MaterialCatalog::SaveUserMaterial(Material material) {
  if (const std::string_view fault = NameFault(material.name); !fault.empty()) Fail("can not save the material: ", fault);
  for (const Material& m : library) {
    if (SameName(m.name, material.name)) Fail("'", material.name, "' is a library material; save it under another name");
  }
  for (const double value : material.values) {
    if (!std::isfinite(value)) Fail("can not save '", material.name, "': a value is not a finite number");
  }
  if (material.source.empty()) material.source = kUserSource;
  std::vector<Material> saved = user;
  const auto same = std::find_if(saved.begin(), saved.end(), [&](const Material& m) { return SameName(m.name, material.name); });
  if (same != saved.end()) {
    *same = std::move(material);
  } else {
    saved.push_back(std::move(material));
  }
  WriteMaterialsFile(WithSetAside(saved), userFile);
  user = std::move(saved);
}

void MaterialCatalog::RemoveUserMaterial(std::string_view name) {
  std::vector<Material> kept = user;
  std::erase_if(kept, [name](const Material& m) { return SameName(m.name, name); });
  if (kept.size() == user.size()) return;
  WriteMaterialsFile(WithSetAside(kept), userFile);
  user = std::move(kept);
}

std::string MaterialFieldText(double value, char separator) {
  std::string text = ExactNumberText(value, separator);
  if (text.find_first_of(std::string{separator, 'e'}) == std::string::npos) text.append({separator, '0'});
  return text;
}

void ApplyMaterial(const Material& material, InputTexts& texts, char separator) {
  for (std::size_t i = 0; i < kMaterialFields.size(); ++i) {
    texts[kMaterialFields[i]] = MaterialFieldText(material.values[i], separator);
  }
}

std::optional<std::array<double, kMaterialFields.size()>> MaterialValues(const InputTexts& texts, char separator) {
  std::array<double, kMaterialFields.size()> values{};
  for (std::size_t i = 0; i < kMaterialFields.size(); ++i) {
    const std::optional<double> value = ParseNumber(texts[kMaterialFields[i]], separator);
    if (!value) return std::nullopt;
    values[i] = *value;
  }
  return values;
}

bool HoldsMaterial(const InputTexts& texts, const Material& material, char separator) {
  const std::optional<std::array<double, kMaterialFields.size()>> values = MaterialValues(texts, separator);
  return values && *values == material.values;
}

}  // namespace kelvado
