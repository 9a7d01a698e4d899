// SPDX-License-Identifier: Apache-2.0
#pragma once
// Materials: the melts shipped with the program (data/materials.json, installed under
// share/kelvado/) and the user's own (materials.json in the user's configuration folder,
// never inside the installation). A material fills the eight material fields of a case.
// The files are JSON, read and written with nlohmann-json; the core knows nothing of them.
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "plastication/pellet_inputs.h"
#include "solver/input.h"
#include "solver/run_warnings.h"

namespace kelvado {

// The fields a material fills, in field order; a materials file names them by option name.
inline constexpr std::array<Field, 8> kMaterialFields{Field::Density,      Field::SpecificHeat, Field::Conductivity,
                                                      Field::StdViscosity, Field::StdShearRate, Field::StdTemp,
                                                      Field::PowerIndex,   Field::TempCoeff};

struct Material {
  std::string name;        // unique, case-blind, in the library and the user's file together
  std::string family;      // family and grade
  std::string source;      // the book or paper, its edition and table; never empty in a file
  std::string conversion;  // how the source's numbers became these values; may be empty
  std::array<double, kMaterialFields.size()> values{};  // in the fields' units, kMaterialFields order
  // The pellets' solid-state data, kPelletFields order, where the source gives it.
  std::optional<std::array<double, kSolidStateCount>> solid = std::nullopt;
  // The highest melt temperature the grade is processed at (C), "max-processing-temp" in a
  // file, where the source gives one: a run hotter at the outlet warns.
  std::optional<double> maxProcessingTemp = std::nullopt;
  // The temperatures and shear rates of the data a fitted material's viscosity came from,
  // "fitted-temps" and "fitted-shear-rates" in a file ([from, to] each, both or neither): a
  // run that leaves them warns.
  std::optional<FittedWindow> fitted = std::nullopt;

  double Value(Field field) const;
};

// A materials file that can not be read or written, or does not hold what it should, and a
// material that can not be saved. The message names the file.
class MaterialError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A materials file that can not be written (read-only, a folder, a full disk): the message
// is the one of every output the program writes.
class MaterialWriteError : public MaterialError {
 public:
  using MaterialError::MaterialError;
};

// The entry of a materials file for `m`: the keys and values it is saved with.
nlohmann::ordered_json MaterialEntryJson(const Material& m);

// Parses a materials file's content, `{"materials": [ {...}, ... ]}`; `origin` names it in
// the messages. Every entry needs a name (no '#', no control character, no blanks at the
// ends), a source and the eight values as finite numbers; optionally the pellets' solid-state
// values (all or none), "max-processing-temp" and the fitted window (both ranges or neither);
// no other keys are taken.
std::vector<Material> ParseMaterials(std::string_view content, std::string_view origin);

// The file read and parsed; a file larger than 4 MiB is refused.
std::vector<Material> ReadMaterialsFile(const std::filesystem::path& path);

// Writes the materials as ParseMaterials reads them, making the folder when missing, under
// the rule of every output (files/output_file.h): the file is replaced only once the new one
// is complete, through a link to the file it names, keeping its mode; a read-only file is
// refused. Throws MaterialWriteError when the file can not be written.
void WriteMaterialsFile(const std::vector<Material>& materials, const std::filesystem::path& path);

// Where the shipped library is looked for, in order: share/kelvado/ beside the program's
// own folder or one or two folders above it (an installation, or the build tree's copy for
// its programs and tests), then under the installation prefix the build was configured with.
std::vector<std::filesystem::path> LibraryFileCandidates();

// The first candidate that exists; throws MaterialError naming every place looked in.
std::filesystem::path FindLibraryFile();

// $XDG_CONFIG_HOME/kelvado/materials.json, or $HOME/.config/kelvado/materials.json when
// XDG_CONFIG_HOME is unset, empty or relative. Throws MaterialError without either.
std::filesystem::path UserMaterialsFile();
// The same, or none where there is no place for one (and so nothing there to overwrite).
std::optional<std::filesystem::path> UserMaterialsFileIfAny();

// The library and the user's materials together, as the command line and the window use them.
struct MaterialCatalog {
  std::filesystem::path libraryFile;
  std::filesystem::path userFile;
  std::vector<Material> library;
  std::vector<Material> user;
  // User entries under a library material's name: not offered, so that a name always means
  // one material, but written back with the user's file; and a message for each.
  std::vector<Material> setAside;
  std::vector<std::string> warnings;

  // Moves the user entries that take a library name from `user` to `setAside`, with a
  // message naming the file and the entry. Load does it; a front end reading the two
  // files itself calls it after.
  void SetAsideLibraryNames();

  // Reads both files; a user file that does not exist is no materials.
  static MaterialCatalog Load();
  static MaterialCatalog Load(const std::filesystem::path& libraryFile, const std::filesystem::path& userFile);

  // The material of that name, capitals or not; a library material before a user one.
  const Material* Find(std::string_view name) const;

  // Adds the material to the user's, replacing one of the same name, and writes the user
  // file. An empty source becomes "entered by the user". Throws MaterialError for a name a
  // file could not hold or that a library material has, or when the file can not be read
  // again or locked; MaterialWriteError when it can not be written.
  void SaveUserMaterial(Material material);

  // Removes the user's material of that name, if there is one, and writes the user file.
  void RemoveUserMaterial(std::string_view name);

 private:
  bool TakesLibraryName(std::string_view name) const;
  // One read-modify-write of the user file, under a lock that every writer takes: the file
  // is read again, `change` edits its materials (returning false when nothing changed),
  // and the file is written back with the entries set aside. `user` and `setAside` then
  // hold what the file holds, another program's saves included.
  void ChangeUserFile(const std::function<bool(std::vector<Material>&)>& change);
};

// A value as a field's text: the shortest text that reads back as the same double, with a
// decimal separator as the default texts have one (100 gives "100.0", 1e-05 stays).
std::string MaterialFieldText(double value, char separator = '.');

// Puts the material's eight values into `texts`, leaving the other fields as they are.
void ApplyMaterial(const Material& material, InputTexts& texts, char separator = '.');

// The eight values the texts hold (a window's "Custom" fields, to save them), or nothing
// when one of the eight is not a number.
std::optional<std::array<double, kMaterialFields.size()>> MaterialValues(const InputTexts& texts, char separator = '.');

// Whether the eight material fields of `texts` hold exactly the material's values.
bool HoldsMaterial(const InputTexts& texts, const Material& material, char separator = '.');

}  // namespace kelvado
