// SPDX-License-Identifier: Apache-2.0
// Materials and display units as a user meets them: the real binary in a fresh folder, the
// user's configuration folder inside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "tests/cli/cli_process.h"
#include "tests/cli/csv_reader.h"
#include "tests/support/temp_dir.h"

namespace kelvado::testing {
namespace {

constexpr const char* kMaterialFields[] = {"density",        "specific-heat", "conductivity", "std-viscosity",
                                           "std-shear-rate", "std-temp",      "power-index",  "temp-coeff"};

class Materials : public ::testing::Test {
 protected:
  CliResult Run(const std::vector<std::string>& args) {
    return RunCli(args, dir_.path(), {"XDG_CONFIG_HOME=" + dir_.file("config")});
  }
  std::string Read(const std::string& name) const { return ReadBytes(dir_.file(name)); }

  TempDir dir_;
};

TEST_F(Materials, ListedWithSourcesAndAsJson) {
  const CliResult json = Run({"materials", "--json"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const nlohmann::json list = nlohmann::json::parse(json.out);
  ASSERT_TRUE(list.is_array());
  ASSERT_GE(list.size(), 2u);
  const CliResult table = Run({"materials"});
  ASSERT_EQ(table.exitCode, 0) << table.err;
  for (const auto& m : list) {
    EXPECT_FALSE(m.at("source").get<std::string>().empty());
    for (const char* key : kMaterialFields) EXPECT_TRUE(m.at(key).is_number()) << key;
    EXPECT_NE(table.out.find(m.at("name").get<std::string>()), std::string::npos);
    EXPECT_NE(table.out.find(m.at("source").get<std::string>().substr(0, 40)), std::string::npos);
  }
  EXPECT_NE(Run({"--help"}).out.find(" materials [--json]"), std::string::npos);
  // The default melt's specific heat as the library writes it, in both lists.
  EXPECT_NE(json.out.find("\"specific-heat\":0.68,"), std::string::npos) << json.out;
  const std::string melt = table.out.substr(table.out.find("Default melt"), 120);
  EXPECT_NE(melt.find(" 0.68 "), std::string::npos) << melt;
  // Everything the library file gives a material is listed as given: the pellets' data and
  // the highest processing temperature too.
  const nlohmann::json library = nlohmann::json::parse(ReadBytes(KELVADO_SOURCE_DIR "/data/materials.json"));
  int pelletMaterials = 0;
  for (const auto& given : library.at("materials")) {
    const auto listed = std::find_if(list.begin(), list.end(), [&](const auto& m) { return m.at("name") == given.at("name"); });
    ASSERT_NE(listed, list.end()) << given.at("name");
    for (const auto& [key, value] : given.items()) EXPECT_EQ(listed->at(key), value) << given.at("name") << " " << key;
    pelletMaterials += given.contains("bulk-density") && given.contains("max-processing-temp");
  }
  EXPECT_GE(pelletMaterials, 3);
}

// The material's values reach the run as its eight fields would; a field option still wins.
TEST_F(Materials, MaterialFillsTheFieldsAndAFieldOptionWins) {
  const nlohmann::json list = nlohmann::json::parse(Run({"materials", "--json"}).out);
  const CliResult golden = Run({"--material", list[0].at("name"), "-o", "first.txt"});
  ASSERT_EQ(golden.exitCode, 0) << golden.err;
  EXPECT_EQ(Read("first.txt"), ReadBytes(KELVADO_TEST_DATA "/default_result.txt"));

  const nlohmann::json& ldpe = list[1];
  std::vector<std::string> spelled{"-o", "spelled.txt", "--density", "0.9"};
  for (const char* key : kMaterialFields) {
    if (std::string(key) == "density") continue;
    spelled.push_back(std::string("--") + key);
    spelled.push_back(ldpe.at(key).dump());
  }
  ASSERT_EQ(Run(spelled).exitCode, 0);
  const CliResult named = Run({"--density", "0.9", "--material", ldpe.at("name"), "-o", "named.txt"});
  ASSERT_EQ(named.exitCode, 0) << named.err;
  EXPECT_EQ(Read("named.txt"), Read("spelled.txt"));
  EXPECT_NE(Read("named.txt"), Read("first.txt"));
}

TEST_F(Materials, DamagedUserFileIsNamedAndTouchesOnlyRunsThatNameAMaterial) {
  const CliResult unknown = Run({"--material", "no such melt"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.err.find("unknown material 'no such melt'"), std::string::npos) << unknown.err;
  std::filesystem::create_directories(dir_.file("config/kelvado"));
  WriteBytes(dir_.file("config/kelvado/materials.json"), "{\"materials\": [{\"name\": ");
  const CliResult run = Run({"--material", "LDPE", "-o", "a.txt"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find(dir_.file("config/kelvado/materials.json") + ": not a materials file"), std::string::npos)
      << run.err;
  EXPECT_FALSE(std::filesystem::exists(dir_.file("a.txt")));
  EXPECT_EQ(Run({"-o", "b.txt"}).exitCode, 0);
}

// A user entry under a library name (capitals aside) is set aside with a word naming the
// file and the entry; the others load, and the name keeps meaning the library's material.
TEST_F(Materials, AUserMaterialCanNotTakeALibraryName) {
  std::filesystem::create_directories(dir_.file("config/kelvado"));
  const std::string values = R"("density": 1, "specific-heat": 0.5, "conductivity": 0.0005, "std-viscosity": 10,
      "std-shear-rate": 100, "std-temp": 290, "power-index": 0.8, "temp-coeff": 0.03)";
  const std::string file = dir_.file("config/kelvado/materials.json");
  WriteBytes(file, R"({"materials": [{"name": "ldpe", "source": "mine", )" + values +
                       R"(}, {"name": "Mine", "source": "mine", )" + values + "}]}");
  const CliResult list = Run({"materials", "--json"});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  EXPECT_NE(list.err.find("kelvado-cli: " + file + ": the material 'ldpe'"), std::string::npos) << list.err;
  const nlohmann::json listed = nlohmann::json::parse(list.out);
  // The library's four (the default melt, LDPE, HDPE, PP), then the user's one that stands.
  ASSERT_EQ(listed.size(), 5u);
  EXPECT_EQ(listed[4].at("name"), "Mine");
  EXPECT_EQ(listed[1].at("density"), 0.92);  // the library's LDPE

  ASSERT_EQ(Run({"--material", "ldpe", "-o", "user.txt"}).exitCode, 0);
  ASSERT_EQ(Run({"--material", "Mine", "-o", "mine.txt"}).exitCode, 0);
  std::vector<std::string> library{"-o", "library.txt"};
  for (const char* key : kMaterialFields) {
    library.push_back(std::string("--") + key);
    library.push_back(listed[1].at(key).dump());
  }
  ASSERT_EQ(Run(library).exitCode, 0);
  EXPECT_EQ(Read("user.txt"), Read("library.txt"));
  EXPECT_NE(Read("mine.txt"), Read("library.txt"));

  // The file the material came from is never an output of the run.
  const std::string before = ReadBytes(file);
  EXPECT_EQ(Run({"--material", "Mine", "-o", "r.txt", "--json", file}).exitCode, 2);
  EXPECT_EQ(ReadBytes(file), before);
}

// Blank, the value with `decimals` decimals, as printf rounds it.
std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, " %.*f", decimals, value);
  return text;
}

// The golden file's 223.68 kgf/cm2 in MPa, to the roundings of both; a sweep's table in psi while its CSV keeps kgf/cm2.
TEST_F(Materials, UnitsChangeThePrintedPressureOnly) {
  const CliResult mpa = Run({"--units", "MPa", "-o", "r.txt"});
  ASSERT_EQ(mpa.exitCode, 0) << mpa.err;
  const std::size_t line = mpa.out.find("Outlet pressure");
  ASSERT_NE(line, std::string::npos) << mpa.out;
  std::size_t end = 0;
  const double shown = std::stod(mpa.out.substr(line + 15), &end);
  EXPECT_EQ(mpa.out.substr(line + 15 + end), " MPa\n");
  EXPECT_NEAR(shown, 223.68 * 0.0980665, 0.0005 + 0.005 * 0.0980665);  // both printed values rounded
  EXPECT_NE(mpa.out.find("Total power                   3.194 kW\n"), std::string::npos);
  EXPECT_EQ(Read("r.txt"), ReadBytes(KELVADO_TEST_DATA "/default_result.txt"));

  const CliResult psi = Run({"sweep", "--vary", "output-rate=40:60:2", "--units", "psi", "--csv", "s.csv"});
  ASSERT_EQ(psi.exitCode, 0) << psi.err;
  const auto rows = ReadCsv(Read("s.csv"));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0][2], "Outlet pressure (kgf/cm2)");
  EXPECT_NE(psi.out.find("(psi)"), std::string::npos);
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const std::string shown = Fixed(std::stod(rows[r][2]) * 14.2233433, 1).append("  ");
    EXPECT_NE(psi.out.find(shown), std::string::npos) << shown << '\n' << psi.out;
  }
}

// A material with the default melt's values fitted over a window: a run leaving it warns,
// naming how far, against the golden file's outlet (300.00 to 320.25 C, 96.318 to 200.61 1/s
// at the outlet, 300 C at the inlet). A file without the window reads as before.
TEST_F(Materials, ARunOutsideTheFittedWindowWarns) {
  std::filesystem::create_directories(dir_.file("config/kelvado"));
  auto fitted = [this](const std::string& keys) {
    WriteBytes(dir_.file("config/kelvado/materials.json"),
               R"({"materials": [{"name": "Fitted melt", "source": "mine", "density": 0.96, "specific-heat": 0.68,
                   "conductivity": 0.00052, "std-viscosity": 10.5, "std-shear-rate": 100, "std-temp": 290,
                   "power-index": 0.786, "temp-coeff": 0.0337)" + keys + "}]}");
    return Run({"--material", "Fitted melt", "-o", "r.txt"});
  };
  const std::string over = " the material was fitted over; its viscosity there is extrapolated.";
  for (const std::string& keys : {std::string(), std::string(R"(, "fitted-temps": [280, 340], "fitted-shear-rates": [10, 1000])")}) {
    const CliResult inside = fitted(keys);
    ASSERT_EQ(inside.exitCode, 0) << inside.err;
    EXPECT_EQ(inside.err.find("fitted over"), std::string::npos) << inside.err;
    EXPECT_EQ(Read("r.txt"), ReadBytes(KELVADO_TEST_DATA "/default_result.txt"));
  }
  const CliResult hot = fitted(R"(, "fitted-temps": [280, 310], "fitted-shear-rates": [10, 1000])");
  ASSERT_EQ(hot.exitCode, 0) << hot.err;
  const std::size_t at = hot.err.find("The melt's temperature reaches ");
  ASSERT_NE(at, std::string::npos) << hot.err;
  std::size_t used = 0;
  const double reached = std::stod(hot.err.substr(at + 30), &used);
  EXPECT_GE(reached, 320.2);
  EXPECT_NE(hot.err.find(" \u00B0C," + Fixed(reached - 310, 1) + " \u00B0C above the 280 to 310 \u00B0C" + over),
            std::string::npos) << hot.err;
  EXPECT_NE(fitted(R"(, "fitted-temps": [305, 340], "fitted-shear-rates": [10, 1000])")
                .err.find("The melt's temperature goes down to 300.0 \u00B0C, 5.0 \u00B0C below the 305 to 340 \u00B0C" + over),
            std::string::npos);
  const CliResult shear = fitted(R"(, "fitted-temps": [280, 340], "fitted-shear-rates": [120, 150])");
  const std::size_t from = shear.err.find("The shear rate runs from ");
  ASSERT_NE(from, std::string::npos) << shear.err;
  const double low = std::stod(shear.err.substr(from + 25), &used);
  const double high = std::stod(shear.err.substr(from + 25 + used + 8));
  EXPECT_LE(low, 96.32);
  EXPECT_GE(high, 200.6);
  EXPECT_NE(shear.err.find("outside the 120 to 150 1/s the material was fitted over (a factor of "), std::string::npos);
  // The operating point's run warns as the single run does.
  const CliResult point = Run({"operating-point", "--material", "Fitted melt", "--rpm", "80", "--die", "slit:width=20,gap=0.08,length=4"});
  ASSERT_EQ(point.exitCode, 0) << point.err;
  EXPECT_NE(point.err.find("the 120 to 150 1/s the material was fitted over"), std::string::npos) << point.err;
  // The library's materials record no window, and warn of none.
  EXPECT_EQ(Run({"--material", "LDPE", "--inlet-temp", "200", "--barrel-temp", "200"}).err.find("fitted over"),
            std::string::npos);
  // Half a window, or one upside down, is refused with the file and the key.
  for (const char* keys : {R"(, "fitted-temps": [280, 340])", R"(, "fitted-temps": [340, 280], "fitted-shear-rates": [10, 1000])"}) {
    const CliResult refused = fitted(keys);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("materials.json: material 1 ('Fitted melt') "), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("fitted-temps'"), std::string::npos) << refused.err;
  }
}

// The fitted melt's window goes with a case that writes its values and names it (as the window
// saves one) while they are its values, and with a screw fed with pellets.
TEST_F(Materials, TheFittedWindowGoesWithACaseOfItsValuesAndWithPellets) {
  std::filesystem::create_directories(dir_.file("config/kelvado"));
  WriteBytes(dir_.file("config/kelvado/materials.json"),
             R"({"materials": [{"name": "Fitted melt", "source": "mine", "density": 0.96, "specific-heat": 0.68,
                 "conductivity": 0.00052, "std-viscosity": 10.5, "std-shear-rate": 100, "std-temp": 290,
                 "power-index": 0.786, "temp-coeff": 0.0337, "bulk-density": 0.55, "solid-density": 0.915,
                 "solid-specific-heat": 0.5493, "melting-temp": 110, "heat-of-fusion": 31.05,
                 "barrel-friction": 0.45, "screw-friction": 0.25,
                 "fitted-temps": [280, 310], "fitted-shear-rates": [10, 1000]}]})");
  const std::string warned = "above the 280 to 310 \u00B0C the material was fitted over";
  auto runCase = [this](const std::string& powerIndex) {
    WriteBytes(dir_.file("case.kvcase"), "density = 0.96\nspecific-heat = 0.68\nconductivity = 0.00052\n"
                                         "std-viscosity = 10.5\nstd-shear-rate = 100\nstd-temp = 290\npower-index = " +
                                             powerIndex + "\ntemp-coeff = 0.0337\nmaterial = Fitted melt\n");
    return Run({"--inputs", "case.kvcase", "-o", "r.txt"});
  };
  const CliResult named = runCase("0.786");
  ASSERT_EQ(named.exitCode, 0) << named.err;
  EXPECT_NE(named.err.find(warned), std::string::npos) << named.err;
  EXPECT_EQ(Read("r.txt"), ReadBytes(KELVADO_TEST_DATA "/default_result.txt"));
  // Another power index: no longer the fitted melt, whose window then says nothing.
  const CliResult other = runCase("0.7");
  ASSERT_EQ(other.exitCode, 0) << other.err;
  EXPECT_EQ(other.err.find("fitted over"), std::string::npos) << other.err;
  const CliResult pellets = Run({"--feed", "pellets", "--flow-model", "consistent", "--material", "Fitted melt", "--inlet-temp", "25", "--rpm", "80",
                                 "--zone", "turns=8,depth=0.6:0.25,barrel-temp=330", "--zone",
                                 "turns=12,depth=0.25,barrel-temp=330", "-o", "p.txt"});
  ASSERT_EQ(pellets.exitCode, 0) << pellets.err;
  EXPECT_NE(pellets.err.find("the material was fitted over"), std::string::npos) << pellets.err;
}

}  // namespace
}  // namespace kelvado::testing
