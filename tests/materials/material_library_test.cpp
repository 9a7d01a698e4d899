// SPDX-License-Identifier: Apache-2.0
// The shipped material library and the user's materials, through the library's own code.
#include "materials/material_library.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <optional>

#include "report/results_file.h"
#include "solver/input_fields.h"
#include "solver/run.h"
#include "tests/support/recording_services.h"
#include "tests/support/temp_dir.h"

namespace kelvado {
namespace {

std::vector<Material> Shipped() { return ReadMaterialsFile(KELVADO_MATERIALS_FILE); }

// Sets an environment variable for one test and puts back what was there.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(ShippedLibrary, EveryEntryHasASourceAndFinishesTheDefaultCase) {
  const std::vector<Material> materials = Shipped();
  ASSERT_GE(materials.size(), 2u);
  for (const Material& m : materials) {
    EXPECT_FALSE(m.source.empty()) << m.name;
    InputTexts texts = DefaultInputTexts();
    ApplyMaterial(m, texts);
    RunRequest request(texts, {});
    request.writeResultsFile = false;
    testing::RecordingServices services;
    const RunOutcome outcome = RunWithResultsFile(request, services);
    EXPECT_EQ(outcome.status, RunStatus::Finished) << m.name << ": " << outcome.detail;
  }
}

TEST(ShippedLibrary, FirstEntryGivesTheDefaultTextsInEitherSeparator) {
  const Material first = Shipped().front();
  for (const char separator : {'.', ','}) {
    InputTexts texts;
    ApplyMaterial(first, texts, separator);
    const InputTexts defaults = DefaultInputTexts(separator);
    for (const Field field : kMaterialFields) EXPECT_EQ(texts[field], defaults[field]) << FieldInfo(field).optionName;
    EXPECT_EQ(texts[Field::BarrelDiameter], "");  // only the material's fields are touched
    EXPECT_EQ(MaterialValues(defaults, separator), first.values);
    texts[Field::TempCoeff] = "b";
    EXPECT_FALSE(MaterialValues(texts, separator));
  }
}

// The book's worked example: 373.1 Pa s at 200 C and 500 1/s, from eta0 (g/g0)^(n-1) exp(-b (T - T0)).
TEST(ShippedLibrary, LdpeReproducesItsSourcesWorkedExample) {
  std::optional<Material> ldpe;
  for (const Material& m : Shipped()) {
    if (m.name == "LDPE") ldpe = m;
  }
  ASSERT_TRUE(ldpe);
  const double gfSecPerCm2 = ldpe->Value(Field::StdViscosity) *
                             std::pow(500 / ldpe->Value(Field::StdShearRate), ldpe->Value(Field::PowerIndex) - 1) *
                             std::exp(-ldpe->Value(Field::TempCoeff) * (200 - ldpe->Value(Field::StdTemp)));
  EXPECT_NEAR(gfSecPerCm2 * 98.0665, 373.1, 0.2);
}

TEST(UserMaterials, SavedInTheXdgConfigFolderAndReadBackExactly) {
  testing::TempDir dir;
  const ScopedEnv config("XDG_CONFIG_HOME", dir.path().c_str());
  ASSERT_EQ(UserMaterialsFile(), dir.path() / "kelvado" / "materials.json");

  MaterialCatalog catalog = MaterialCatalog::Load(KELVADO_MATERIALS_FILE, UserMaterialsFile());
  EXPECT_TRUE(catalog.user.empty());
  Material mine{"My PP", "polypropylene", "", "", {0.1 + 0.2, 0.5, 1e-7, 1234.5678, 100, 230, 0.35, 1.0 / 3}};
  catalog.SaveUserMaterial(mine);
  mine.name = "Other";
  catalog.SaveUserMaterial(mine);
  mine.values[0] = 0.9;
  catalog.SaveUserMaterial(mine);  // replaces "Other"
  EXPECT_THROW(catalog.SaveUserMaterial(Material{"ldpe", "", "", "", {}}), MaterialError);  // a library name
  EXPECT_THROW(catalog.SaveUserMaterial(Material{"a # b", "", "", "", {}}), MaterialError);

  const MaterialCatalog reread = MaterialCatalog::Load(KELVADO_MATERIALS_FILE, UserMaterialsFile());
  ASSERT_EQ(reread.user.size(), 2u);
  const Material* pp = reread.Find("my pp");
  ASSERT_NE(pp, nullptr);
  EXPECT_EQ(pp->values, (std::array<double, 8>{0.1 + 0.2, 0.5, 1e-7, 1234.5678, 100, 230, 0.35, 1.0 / 3}));
  EXPECT_EQ(pp->source, "entered by the user");
  EXPECT_EQ(reread.Find("Other")->values[0], 0.9);
  EXPECT_EQ(reread.Find("LDPE"), &reread.library[1]);

  catalog.RemoveUserMaterial("OTHER");
  EXPECT_EQ(MaterialCatalog::Load(KELVADO_MATERIALS_FILE, UserMaterialsFile()).user.size(), 1u);

  const ScopedEnv noConfig("XDG_CONFIG_HOME", "relative/folder");  // not absolute: ignored
  const ScopedEnv home("HOME", "/home/someone");
  EXPECT_EQ(UserMaterialsFile(), std::filesystem::path("/home/someone/.config/kelvado/materials.json"));
}

// An entry under a library name is not offered, but saving another keeps it in the file.
TEST(UserMaterials, AnEntryUnderALibraryNameIsSetAsideAndKept) {
  testing::TempDir dir;
  const std::string file = dir.file("materials.json");
  const std::array<double, 8> values{1, 0.5, 0.0005, 10, 100, 290, 0.8, 0.03};
  WriteMaterialsFile({Material{"Ldpe", "", "mine", "", values}}, file);
  MaterialCatalog catalog = MaterialCatalog::Load(KELVADO_MATERIALS_FILE, file);
  EXPECT_TRUE(catalog.user.empty());
  ASSERT_EQ(catalog.warnings.size(), 1u);
  EXPECT_NE(catalog.warnings[0].find(file + ": the material 'Ldpe'"), std::string::npos) << catalog.warnings[0];
  catalog.SaveUserMaterial(Material{"Mine", "", "mine", "", values});
  const std::vector<Material> written = ReadMaterialsFile(file);
  ASSERT_EQ(written.size(), 2u);
  EXPECT_EQ(written[0].name, "Mine");
  EXPECT_EQ(written[1].name, "Ldpe");
}

// Two programs with the file loaded at once, as a window and the command line are: each
// change is made on what the file holds then, so neither loses the other's material; a file
// damaged since is refused and left as it is.
TEST(UserMaterials, EachChangeIsMadeOnWhatTheFileHoldsNow) {
  testing::TempDir dir;
  const std::string file = dir.file("materials.json");
  const std::array<double, 8> values{1, 0.5, 0.0005, 10, 100, 290, 0.8, 0.03};
  MaterialCatalog window = MaterialCatalog::Load(KELVADO_MATERIALS_FILE, file);
  MaterialCatalog command = MaterialCatalog::Load(KELVADO_MATERIALS_FILE, file);
  window.SaveUserMaterial(Material{"A", "", "mine", "", values});
  command.SaveUserMaterial(Material{"B", "", "mine", "", values});
  window.RemoveUserMaterial("a");
  const std::vector<Material> written = ReadMaterialsFile(file);
  ASSERT_EQ(written.size(), 1u);
  EXPECT_EQ(written[0].name, "B");
  ASSERT_EQ(window.user.size(), 1u);
  EXPECT_EQ(window.user[0].name, "B");

  testing::WriteBytes(file, "{\"materials\": [");
  EXPECT_THROW(command.SaveUserMaterial(Material{"C", "", "mine", "", values}), MaterialError);
  EXPECT_EQ(testing::ReadBytes(file), "{\"materials\": [");
}

// A grade's pellet data goes out and comes back with it, exactly.
TEST(UserMaterials, TheSolidStateDataIsWrittenAndReadBackExactly) {
  testing::TempDir dir;
  const std::vector<Material> library = ReadMaterialsFile(KELVADO_MATERIALS_FILE);
  std::vector<Material> saved;
  for (const Material& m : library) {
    if (m.solid) saved.push_back(m);
  }
  ASSERT_EQ(saved.size(), 3u);  // LDPE, HDPE, PP
  saved[0].solid->at(0) = 0.1 + 0.2;
  WriteMaterialsFile(saved, dir.file("m.json"));
  const std::vector<Material> read = ReadMaterialsFile(dir.file("m.json"));
  ASSERT_EQ(read.size(), saved.size());
  for (std::size_t i = 0; i < read.size(); ++i) {
    EXPECT_EQ(read[i].solid, saved[i].solid) << read[i].name;
    EXPECT_EQ(read[i].maxProcessingTemp, saved[i].maxProcessingTemp) << read[i].name;
  }
  EXPECT_EQ(read[2].maxProcessingTemp, 280.0);  // PP, as the library gives it
}

TEST(UserMaterials, DamagedFilesAreRefusedNamingTheFile) {
  testing::TempDir dir;
  const std::string entry = R"("source": "s", "density": 1, "specific-heat": 1, "conductivity": 1,
      "std-viscosity": 1, "std-shear-rate": 1, "std-temp": 1, "power-index": 1)";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"{\"materials\": [", "not a materials file: [json.exception.parse_error"},
      {"[]", "not a materials file: no \"materials\" list"},
      {R"({"materials": [{"name": "A", )" + entry + "}]}", "material 1 ('A') has no 'temp-coeff'"},
      {R"({"materials": [{"name": "A", "temp-coeff": "0.03", )" + entry + "}]}", "'temp-coeff' is not a number"},
      {R"({"materials": [{"name": "A", "temp-coeff": 1, "colour": 1, )" + entry + "}]}", "unknown key 'colour'"},
      {R"({"materials": [{"name": "A#1", "temp-coeff": 1, )" + entry + "}]}", "can not hold '#'"},
      {R"({"materials": [{"name": "A", "temp-coeff": 1e999, )" + entry + "}]}", "not a materials file: [json.exception.out_of_range.406] number overflow"},
      {R"({"materials": [{"name": "A", "temp-coeff": 1, )" + entry + R"(}, {"name": "a", "temp-coeff": 1, )" +
           entry + "}]}",
       "the name 'a' is given twice"},
      // Half a grade's pellet data would feed a screw with the rest from nowhere.
      {R"({"materials": [{"name": "A", "temp-coeff": 1, "bulk-density": 0.5, "melting-temp": 110, )" + entry + "}]}",
       "gives 2 of the 7 solid-state values; give all of them or none"},
      {R"({"materials": [{"name": "A", "temp-coeff": 1, "max-processing-temp": -300, )" + entry + "}]}",
       "'max-processing-temp' is not a temperature above absolute zero"},
  };
  const std::string path = dir.file("materials.json");
  for (const auto& [content, message] : cases) {
    testing::WriteBytes(path, content);
    try {
      ReadMaterialsFile(path);
      ADD_FAILURE() << "accepted: " << content;
    } catch (const MaterialError& error) {
      const std::string what = error.what();
      EXPECT_TRUE(what.starts_with(path)) << what;
      EXPECT_NE(what.find(message), std::string::npos) << what;
    }
  }
  EXPECT_THROW(ReadMaterialsFile(dir.file("missing.json")), MaterialError);
}

}  // namespace
}  // namespace kelvado
