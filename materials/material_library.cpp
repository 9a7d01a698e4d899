// SPDX-License-Identifier: Apache-2.0
#include "materials/material_library.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <chrono>
#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <sys/file.h>
#include <system_error>
#include <thread>
#include <unistd.h>

#include "files/bounded_read.h"
#include "files/interrupt.h"
#include "files/output_file.h"
#include "files/user_materials_path.h"
#include "solver/input_fields.h"
#include "solver/units.h"

namespace kelvado {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

constexpr std::size_t kMaxMaterialsFileBytes = 4 << 20;
constexpr std::string_view kUserSource = "entered by the user";
constexpr const char* kMaxProcessingTempKey = "max-processing-temp";
constexpr const char* kFittedTempsKey = "fitted-temps";
constexpr const char* kFittedShearRatesKey = "fitted-shear-rates";

template <typename... Parts>
[[noreturn]] void Fail(const Parts&... parts) {
  std::string text;
  (text.append(std::string_view(parts)), ...);
  throw MaterialError(text);
}

bool IsSolidStateKey(std::string_view key) {
  const std::optional<PelletField> field = FindPelletField(key);
  return field && static_cast<std::size_t>(*field) < kSolidStateCount;
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
                                   [&key](Field f) { return FieldInfo(f).optionName == key; }) ||
                       IsSolidStateKey(key) || key == kMaxProcessingTempKey ||
                       key == kFittedTempsKey || key == kFittedShearRatesKey;
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
  // The pellets' data: all of it or none, so that a material never feeds half a grade.
  std::array<double, kSolidStateCount> solid{};
  std::size_t given = 0;
  for (std::size_t i = 0; i < kSolidStateCount; ++i) {
    const std::string_view key = kPelletFields[i].name;
    const auto it = entry.find(key);
    if (it == entry.end()) continue;
    if (!it->is_number() || !std::isfinite(it->get<double>())) Fail(named, "'", key, "' is not a finite number");
    solid[i] = it->get<double>();
    ++given;
  }
  if (given == kSolidStateCount) m.solid = solid;
  if (given != 0 && given != kSolidStateCount) {
    Fail(named, "gives ", std::to_string(given), " of the ", std::to_string(kSolidStateCount),
         " solid-state values; give all of them or none");
  }
  if (const auto it = entry.find(kMaxProcessingTempKey); it != entry.end()) {
    if (!it->is_number() || !std::isfinite(it->get<double>()) || !(it->get<double>() > kAbsoluteZero)) {
      Fail(named, "'", kMaxProcessingTempKey, "' is not a temperature above absolute zero");
    }
    m.maxProcessingTemp = it->get<double>();
  }
  // The fitted window: [from, to] of temperatures above absolute zero and of shear rates above zero.
  auto range = [&](const char* key, double above, const char* what) -> std::optional<std::pair<double, double>> {
    const auto it = entry.find(key);
    if (it == entry.end()) return std::nullopt;
    const bool ok = it->is_array() && it->size() == 2 && (*it)[0].is_number() && (*it)[1].is_number() &&
                    std::isfinite((*it)[0].get<double>()) && std::isfinite((*it)[1].get<double>()) &&
                    (*it)[0].get<double>() > above && (*it)[0].get<double>() <= (*it)[1].get<double>();
    if (!ok) Fail(named, "'", key, "' is not [from, to] of ", what);
    return std::pair{(*it)[0].get<double>(), (*it)[1].get<double>()};
  };
  const auto temps = range(kFittedTempsKey, kAbsoluteZero, "temperatures above absolute zero, from at most to");
  const auto rates = range(kFittedShearRatesKey, 0, "shear rates above zero, from at most to");
  if (temps.has_value() != rates.has_value()) Fail(named, "gives one of '", kFittedTempsKey, "' and '", kFittedShearRatesKey, "'; give both or neither");
  if (temps) m.fitted = FittedWindow{temps->first, temps->second, rates->first, rates->second};
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
  if (m.solid) {
    for (std::size_t i = 0; i < kSolidStateCount; ++i) entry[std::string(kPelletFields[i].name)] = (*m.solid)[i];
  }
  if (m.maxProcessingTemp) entry[kMaxProcessingTempKey] = *m.maxProcessingTemp;
  if (m.fitted) {
    entry[kFittedTempsKey] = {m.fitted->tempFrom, m.fitted->tempTo};
    entry[kFittedShearRatesKey] = {m.fitted->shearRateFrom, m.fitted->shearRateTo};
  }
  return entry;
}

// How long a writer waits for another to finish with the user's file; a write takes
// milliseconds, so this is a program that hangs, not one that writes.
constexpr auto kLockWait = std::chrono::seconds(10);

// The lock every read-modify-write of a materials file holds, so that two programs saving at
// once both keep their material. It is taken on a file of its own beside the materials file,
// never removed: the materials file is replaced by a rename at each write, and a lock on it
// would be on the replaced file, leaving a writer that waited free to write beside a new one.
// Through a link the lock sits beside the file the link names, where the writes go.
class MaterialsLock {
 public:
  explicit MaterialsLock(const fs::path& file) {
    std::error_code ec;
    fs::path target = fs::weakly_canonical(file, ec);
    if (ec) target = file;
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    const std::string lock = target.string() + ".lock";
    fd_ = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    // A lock that can not be made is a file that can not be written there.
    if (fd_ < 0) throw MaterialWriteError("can not lock the materials file '" + file.string() + "': " + std::strerror(errno));
    const auto until = std::chrono::steady_clock::now() + kLockWait;
    // Without blocking, so that a signal or a holder that never lets go ends the wait.
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      if (error != EWOULDBLOCK && error != EINTR) Release("can not lock the materials file '", file.string(), "': ", std::strerror(error));
      if (InterruptRequested()) Release("the materials file '", file.string(), "' was not changed: interrupted by a signal");
      if (std::chrono::steady_clock::now() > until) {
        Release("another program has been writing the materials file '", file.string(), "' for ",
                std::to_string(kLockWait.count()), " s; nothing was changed");
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  ~MaterialsLock() { ::close(fd_); }  // closing lets the lock go
  MaterialsLock(const MaterialsLock&) = delete;
  MaterialsLock& operator=(const MaterialsLock&) = delete;

 private:
  template <typename... Parts>
  [[noreturn]] void Release(const Parts&... parts) {
    ::close(fd_);
    Fail(parts...);
  }
  int fd_ = -1;
};

}  // namespace

nlohmann::ordered_json MaterialEntryJson(const Material& m) { return EntryJson(m); }

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
  // The one rule of outputs: a temporary file renamed into place, the link and the mode
  // kept, a read-only file refused and left as it is.
  try {
    WriteWholeFile(path.string(), text);
  } catch (const OutputError& error) {
    throw MaterialWriteError(error.what());
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
  if (std::optional<fs::path> path = UserMaterialsPath()) return *path;
  Fail("neither XDG_CONFIG_HOME nor HOME is set: no place for the user's materials");
}

std::optional<fs::path> UserMaterialsFileIfAny() { return UserMaterialsPath(); }

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
    if (!TakesLibraryName(m.name)) {
      kept.push_back(std::move(m));
      continue;
    }
    warnings.push_back(userFile.string() + ": the material '" + m.name +
                       "' has the name of a library material and is not loaded; rename it there");
    setAside.push_back(std::move(m));
  }
  user = std::move(kept);
}

bool MaterialCatalog::TakesLibraryName(std::string_view name) const {
  return std::any_of(library.begin(), library.end(), [name](const Material& l) { return SameName(l.name, name); });
}

const Material* MaterialCatalog::Find(std::string_view name) const {
  for (const std::vector<Material>* list : {&library, &user}) {
    for (const Material& m : *list) {
      if (SameName(m.name, name)) return &m;
    }
  }
  return nullptr;
}

void MaterialCatalog::ChangeUserFile(const std::function<bool(std::vector<Material>&)>& change) {
  const MaterialsLock lock(userFile);
  // What the file holds now, another program's saves since this one loaded included.
  std::vector<Material> held;
  std::error_code ec;
  if (fs::exists(userFile, ec)) held = ReadMaterialsFile(userFile);
  std::vector<Material> mine;
  std::vector<Material> asideNow;
  for (Material& m : held) (TakesLibraryName(m.name) ? asideNow : mine).push_back(std::move(m));
  if (!change(mine)) return;
  std::vector<Material> written = mine;
  written.insert(written.end(), asideNow.begin(), asideNow.end());
  WriteMaterialsFile(written, userFile);
  user = std::move(mine);
  setAside = std::move(asideNow);
}

void MaterialCatalog::SaveUserMaterial(Material material) {
  if (const std::string_view fault = NameFault(material.name); !fault.empty()) Fail("can not save the material: ", fault);
  if (TakesLibraryName(material.name)) Fail("'", material.name, "' is a library material; save it under another name");
  for (const double value : material.values) {
    if (!std::isfinite(value)) Fail("can not save '", material.name, "': a value is not a finite number");
  }
  if (material.source.empty()) material.source = kUserSource;
  ChangeUserFile([&material](std::vector<Material>& saved) {
    const auto same = std::find_if(saved.begin(), saved.end(), [&](const Material& m) { return SameName(m.name, material.name); });
    if (same != saved.end()) {
      *same = material;
    } else {
      saved.push_back(material);
    }
    return true;
  });
}

void MaterialCatalog::RemoveUserMaterial(std::string_view name) {
  ChangeUserFile([name](std::vector<Material>& kept) {
    return std::erase_if(kept, [name](const Material& m) { return SameName(m.name, name); }) > 0;
  });
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
