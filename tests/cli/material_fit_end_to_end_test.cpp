// SPDX-License-Identifier: Apache-2.0
// Fitting materials as a user does: the real binary, a data file or a data sheet's model,
// the user's configuration folder inside the test's own.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <sstream>
#include <iomanip>
#include <nlohmann/json.hpp>

#include "tests/cli/cli_process.h"
#include "tests/support/temp_dir.h"

namespace kelvado::testing {
namespace {

class MaterialFit : public ::testing::Test {
 protected:
  CliResult Run(const std::vector<std::string>& args) {
    return RunCli(args, dir_.path(), {"XDG_CONFIG_HOME=" + dir_.file("config")});
  }
  nlohmann::json Json(const std::string& name) const { return nlohmann::json::parse(ReadBytes(dir_.file(name))); }
  std::string UserFile() const { return dir_.file("config/kelvado/materials.json"); }

  TempDir dir_;
};

// A table made from known parameters, eta0 = 1500 Pa.s at 210 C and 100 1/s, n = 0.4,
// b = 0.015 1/C, each viscosity off by up to 1 % (a fixed pseudo-random sequence), in
// semicolon cells with decimal commas as a rheometer abroad writes them. Two points of a
// Newtonian plateau at low shear rates lie outside the power law and the --shear-rate window.
std::string NoisyTable() {
  std::string text = "sample;shear_rate_per_s;viscosity_Pa_s;temp_C\n";
  std::uint32_t state = 12345;
  auto noise = [&state] {
    state = state * 1664525u + 1013904223u;
    return (state / 4294967296.0) * 2 - 1;  // -1 .. 1
  };
  for (const double temp : {190.0, 210.0, 230.0}) {
    for (const double rate : {0.05, 0.1}) {
      text += "plateau;" + std::to_string(rate) + ";" + std::to_string(1500 * std::pow(10, 0.6 * 3)) + ";" +
              std::to_string(temp) + "\n";
    }
    for (const double rate : {5.0, 10.0, 30.0, 100.0, 300.0, 1000.0, 2000.0, 5000.0}) {
      const double eta = 1500 * std::pow(rate / 100, 0.4 - 1) * std::exp(-0.015 * (temp - 210)) * (1 + 0.01 * noise());
      text += "a;" + std::to_string(rate) + ";" + std::to_string(eta) + ";" + std::to_string(temp) + "\n";
    }
  }
  for (char& c : text) c = c == '.' ? ',' : c;
  return text;
}

TEST_F(MaterialFit, NoisyTableGivesBackItsParametersAndTheSavedMaterialRuns) {
  WriteBytes(dir_.file("pp.csv"), NoisyTable());
  const CliResult fit = Run({"materials", "fit", "pp.csv", "--shear-rate", "5:5000", "--json", "fit.json", "--save",
                             "--name", "Grade 7", "--like", "LDPE", "--density", "0.9"});
  ASSERT_EQ(fit.exitCode, 0) << fit.err;
  const nlohmann::json result = Json("fit.json");
  EXPECT_EQ(result.at("points"), 24);
  EXPECT_EQ(result.at("referenceTemp_C"), 210);  // the middle of 190 .. 230
  EXPECT_EQ(result.at("referenceShearRate_per_s"), 100);
  EXPECT_NEAR(result.at("eta0_Pa_s").get<double>(), 1500, 0.02 * 1500);
  EXPECT_NEAR(result.at("eta0_gf_s_per_cm2").get<double>(), 1500 / 98.0665, 0.02 * 1500 / 98.0665);
  EXPECT_NEAR(result.at("n").get<double>(), 0.4, 0.02 * 0.4);
  EXPECT_NEAR(result.at("b_per_C").get<double>(), 0.015, 0.02 * 0.015);
  EXPECT_LT(result.at("worstRelativeError").get<double>(), 0.02);
  EXPECT_GT(result.at("rSquared").get<double>(), 0.999);
  EXPECT_TRUE(result.at("warnings").empty());

  // The thermal values: --density over LDPE's, the rest LDPE's; the source names the file.
  const nlohmann::json saved = nlohmann::json::parse(ReadBytes(UserFile())).at("materials").at(0);
  EXPECT_EQ(saved.at("name"), "Grade 7");
  EXPECT_EQ(saved.at("density"), 0.9);
  EXPECT_EQ(saved.at("specific-heat"), 0.5255);
  EXPECT_EQ(saved.at("std-viscosity"), result.at("eta0_gf_s_per_cm2"));
  EXPECT_NE(saved.at("source").get<std::string>().find("pp.csv: 24 points"), std::string::npos);
  const CliResult run = Run({"--material", "grade 7", "-o", "r.txt"});
  EXPECT_EQ(run.exitCode, 0) << run.err;

  // Over the whole table, plateau included, the power law fails and says so.
  const CliResult wide = Run({"materials", "fit", "pp.csv"});
  ASSERT_EQ(wide.exitCode, 0) << wide.err;
  EXPECT_NE(wide.err.find("warning: the worst viscosity error is"), std::string::npos) << wide.err;
}

// Expected values: tests/materials/datasheet_fits.py, which samples the two models from
// their formulas and solves the normal equations in Python, apart from the program's code.
TEST_F(MaterialFit, DataSheetModelsGiveTheLeastSquaresFitOfTheirSamples) {
  struct Case {
    std::vector<std::string> args;
    double eta0, n, b, worst;
  };
  const std::vector<Case> cases{
      {{"materials", "from-cross-wlf", "--n", "0.2842", "--tau-star", "27300", "--d1", "4.5e13", "--d2", "263.15",
        "--a1", "28.7", "--a2", "51.6", "--shear-rate", "10:1000", "--temp", "200:260", "--json", "m.json"},
       4.048830340563923, 0.42485630268632546, 0.007625601919550436, 0.2802243083589213},
      {{"materials", "from-carreau", "--eta0", "2500", "--lambda", "0.05", "--n", "0.4", "--ref-temp", "220",
        "--activation-energy", "40000", "--shear-rate", "10:1000", "--temp", "200:260", "--json", "m.json"},
       8.051839747002704, 0.5013147883913683, 0.010112726169954926, 0.5545114188934432},
  };
  for (const Case& c : cases) {
    const CliResult fit = Run(c.args);
    ASSERT_EQ(fit.exitCode, 0) << c.args[1] << fit.err;
    const nlohmann::json result = Json("m.json");
    EXPECT_EQ(result.at("points"), 100) << c.args[1];
    EXPECT_EQ(result.at("referenceTemp_C"), 230) << c.args[1];
    EXPECT_NEAR(result.at("eta0_gf_s_per_cm2").get<double>(), c.eta0, 1e-9 * c.eta0) << c.args[1];
    EXPECT_NEAR(result.at("n").get<double>(), c.n, 1e-9) << c.args[1];
    EXPECT_NEAR(result.at("b_per_C").get<double>(), c.b, 1e-9 * c.b) << c.args[1];
    EXPECT_NEAR(result.at("worstRelativeError").get<double>(), c.worst, 1e-9) << c.args[1];
    EXPECT_EQ(result.at("warnings").size(), 1u) << c.args[1];  // both worse than 10 % over two decades
  }
}

// Each bad file is refused with its name, line and problem; no materials file appears.
TEST_F(MaterialFit, BadTablesAreRefusedAndNothingIsSaved) {
  const std::string header = "temp_C,shear_rate_per_s,viscosity_Pa_s\n";
  const std::string good = "200,10,900\n200,100,400\n220,10,700\n";
  const std::vector<std::pair<std::string, std::string>> cases{
      {"200,10,900\n200,100,400\n", "bad.csv:1: no header"},
      {"temp_C,viscosity_Pa_s\n200,900\n", "bad.csv:1: the header has no column shear_rate_per_s"},
      {header + "200,10,900\n200,ten,400\n", "bad.csv:3: shear_rate_per_s 'ten' is not a number"},
      {header + good, "bad.csv: 3 points; a fit needs at least 4"},
      {header + "200,10,900\n200,100,400\n200,1000,100\n200,30,600\n", "bad.csv: every point is at 200"},
      {header + good + "\n220,100,-5\n", "bad.csv:6: the viscosity -5 is not above zero"},
      {header + "-273.15,10,900\n", "bad.csv:2: temp_C -273.15 is not above absolute zero, -273.15"},
      // A decimal comma between commas, a cell too many or too few, a quote left open, a column twice.
      {header + good + "190,5,12217,9\n", "bad.csv:5: has 4 cells, the header 3; a decimal comma?"},
      {header + "200,10,900,\n", "bad.csv:2: has 4 cells, the header 3"},
      {"a," + header + "200,10,900\n", "bad.csv:2: has 3 cells, the header 4\n"},
      {header + "200,\"10,900\n", "bad.csv:2: cell 2 opens a quote that is not closed"},
      {"temp_C,shear_rate_per_s,viscosity_Pa_s,temp_C\n200,10,900,210\n", "bad.csv:1: the header names the column 'temp_C' twice"},
  };
  for (const auto& [content, message] : cases) {
    WriteBytes(dir_.file("bad.csv"), content);
    const CliResult fit = Run({"materials", "fit", "bad.csv", "--save", "--name", "X", "--like", "LDPE"});
    EXPECT_EQ(fit.exitCode, 2) << message;
    EXPECT_NE(fit.err.find(message), std::string::npos) << fit.err;
    EXPECT_FALSE(std::filesystem::exists(UserFile())) << message;
  }
}

// An echoed cell is cut short and its control bytes shown; however wrong a point, every number
// of the fit stays a short word. Nine points on n = 0.5 around 210 C and 100 1/s, the middle
// one 1e-300 of its value: the slopes stay, every fitted value falls by the ninth root, and
// the middle point is off by 1e300^(8/9) - 1, 4.64159e+268 %.
TEST_F(MaterialFit, MessagesStayShortWhateverTheFile) {
  std::string cell = std::string("1") + '\0' + std::string(100000, 'x');
  WriteBytes(dir_.file("long.csv"), "temp_C,shear_rate_per_s,viscosity_Pa_s\n200," + cell + ",900\n");
  const CliResult longCell = Run({"materials", "fit", "long.csv"});
  EXPECT_EQ(longCell.exitCode, 2);
  EXPECT_NE(longCell.err.find("long.csv:2: shear_rate_per_s '1\\x00xxx"), std::string::npos) << longCell.err;
  EXPECT_NE(longCell.err.find("x\u2026' is not a number"), std::string::npos) << longCell.err;
  EXPECT_LT(longCell.err.size(), 200u);

  std::string table = "temp_C,shear_rate_per_s,viscosity_Pa_s\n";
  for (const char* temp : {"190", "210", "230"}) {
    for (const auto& [rate, eta] : {std::pair{"1", "10000"}, {"100", "1000"}, {"10000", "100"}}) {
      const bool middle = std::string(temp) == "210" && std::string(rate) == "100";
      table += std::string(temp) + "," + rate + "," + (middle ? "1e-297" : eta) + "\n";
    }
  }
  WriteBytes(dir_.file("outlier.csv"), table);
  const CliResult outlier = Run({"materials", "fit", "outlier.csv"});
  ASSERT_EQ(outlier.exitCode, 0) << outlier.err;
  EXPECT_NE(outlier.out.find("\n  n    (power-index)      0.5\n"), std::string::npos) << outlier.out;
  EXPECT_NE(outlier.out.find("\n  worst viscosity error   4.64159e+268 %\n"), std::string::npos) << outlier.out;
  EXPECT_NE(outlier.err.find("the worst viscosity error is 4.64159e+268 %: "), std::string::npos) << outlier.err;
}

// A fit is printed or saved only when a run takes what it gives: n above zero and at most 1
// (a Newtonian melt's n = 1 is one), T0 above absolute zero, thermal values above zero.
// Refused as improper input, the value named, nothing saved.
TEST_F(MaterialFit, AFitARunWouldRefuseIsNeitherPrintedNorSaved) {
  // eta = 1000 (gamma/100)^(n-1) exp(-0.01 (T - 200)) Pa.s, exactly, at two temperatures.
  const auto table = [](const std::string& eta190at10, const std::string& eta190at1000, const std::string& eta210at10,
                        const std::string& eta210at1000) {
    return "temp_C,shear_rate_per_s,viscosity_Pa_s\n190,10," + eta190at10 + "\n190,1000," + eta190at1000 + "\n210,10," +
           eta210at10 + "\n210,1000," + eta210at1000 + "\n";
  };
  const std::string save[] = {"--save", "--name", "Bad", "--like", "LDPE"};
  struct Case {
    std::string file;  // the table, or empty for the Newtonian one with the options below
    std::vector<std::string> options;
    std::string message;
  };
  // Newtonian, n = 1 exactly; on these points the sums round the fitted n - 1 to 2e-16 or so.
  const std::string newtonian = "temp_C,shear_rate_per_s,viscosity_Pa_s\n230,1000,740.8182206817179\n"
                                "210,100,904.8374180359596\n190,100,1105.1709180756477\n"
                                "190,100,1105.1709180756477\n210,100,904.8374180359596\n";
  const std::vector<Case> cases{
      // n = 1.5: eta rises tenfold over two decades of shear rate.
      {table("349.48", "3494.8", "286.13", "2861.3"), {}, "gives power-index 1.5: a fitted power-index must be above zero and at most 1"},
      // n - 1 = the mean over the two temperatures of ln(eta ratio) / ln 100, the viscosities in
      // gf.s/cm2 (1e-320 / 98.0665 is subnormal, of few digits).
      {table("900", "400", "700", "1e-320"), {}, "gives power-index -79.7974: "},
      {newtonian, {"--reference-temp", "-273.15"}, "gives std-temp -273.15: a run needs it above absolute zero, -273.15"},
      {newtonian, {"--density", "0", "--like", "LDPE", "--name", "Bad", "--save"},
       "the material to save has density 0: a run needs it above zero; nothing is saved"},
  };
  for (const Case& c : cases) {
    WriteBytes(dir_.file("t.csv"), c.file);
    std::vector<std::string> args{"materials", "fit", "t.csv", "--json", "fit.json"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    if (c.options.empty()) args.insert(args.end(), std::begin(save), std::end(save));
    const CliResult fit = Run(args);
    EXPECT_EQ(fit.exitCode, 3) << c.message << fit.err;
    EXPECT_NE(fit.err.find(c.message), std::string::npos) << fit.err;
    EXPECT_EQ(fit.out, "") << c.message;
    EXPECT_FALSE(std::filesystem::exists(dir_.file("fit.json"))) << c.message;
    EXPECT_FALSE(std::filesystem::exists(UserFile())) << c.message;
  }
  // The Newtonian table itself fits to n = 1, and the material runs.
  WriteBytes(dir_.file("t.csv"), newtonian);
  const CliResult fit = Run({"materials", "fit", "t.csv", "--json", "fit.json", "--save", "--name", "Water-like", "--like", "LDPE"});
  ASSERT_EQ(fit.exitCode, 0) << fit.err;
  EXPECT_EQ(Json("fit.json").at("n"), 1.0);
  EXPECT_NEAR(Json("fit.json").at("b_per_C").get<double>(), 0.01, 1e-12);
  EXPECT_EQ(Run({"--material", "Water-like", "-o", "r.txt"}).exitCode, 0);
}

// A data sheet's model sampled at one shear rate or one temperature, or where no melt is:
// refused, the option named.
TEST_F(MaterialFit, ModelWindowsOfOneValueOrBeyondPhysicsAreRefused) {
  const std::vector<std::string> carreau{"materials", "from-carreau", "--eta0", "2500", "--lambda", "0.05", "--n", "0.4",
                                         "--ref-temp", "220", "--activation-energy", "40000"};
  const std::vector<std::string> crossWlf{"materials", "from-cross-wlf", "--n", "0.2842", "--tau-star", "27300", "--d1",
                                          "4.5e13", "--d2", "263.15", "--a1", "28.7", "--a2", "51.6"};
  const std::vector<std::tuple<std::vector<std::string>, std::string, std::string, std::string>> cases{
      {crossWlf, "10:10", "200:260", "--shear-rate 10:10: FROM must be below TO; the fit needs more than one shear rate"},
      {carreau, "5:5", "200:260", "--shear-rate 5:5: FROM must be below TO"},
      {carreau, "0:5", "200:260", "--shear-rate 0:5: every shear rate must be above zero"},
      {carreau, "5:50", "230:230", "--temp 230:230: FROM must be below TO; the fit needs more than one temperature"},
      {carreau, "5:50", "-400:-300", "--temp -400:-300: every temperature must be above absolute zero, -273.15"},
      {carreau, "5:50", "-273.15:200", "--temp -273.15:200: every temperature must be above absolute zero"},
  };
  for (const auto& [model, shearRates, temps, message] : cases) {
    std::vector<std::string> args = model;
    args.insert(args.end(), {"--shear-rate", shearRates, "--temp", temps});
    const CliResult fit = Run(args);
    EXPECT_EQ(fit.exitCode, 2) << message;
    EXPECT_NE(fit.err.find(message), std::string::npos) << fit.err;
  }
}

// The manual's fitting examples, run on the example file it names: each command prints what
// the manual shows after it, warnings included, the saved file's folder aside.
TEST_F(MaterialFit, ManualExamplesPrintWhatTheManualShows) {
  WriteBytes(dir_.file("grade7.csv"), ReadBytes(KELVADO_SOURCE_DIR "/examples/grade7.csv"));
  std::vector<std::string> manual;
  std::istringstream in(ReadBytes(KELVADO_SOURCE_DIR "/docs/manual.md"));
  for (std::string line; std::getline(in, line);) manual.push_back(line);
  int checked = 0;
  for (std::size_t i = 0; i < manual.size(); ++i) {
    if (manual[i].rfind("$ kelvado-cli materials ", 0) != 0) continue;
    // The command, over continued lines, without its comment; then what it prints.
    std::string command = manual[i].substr(2);
    while (command.back() == '\\') command = command.substr(0, command.size() - 1) + manual[++i];
    command = command.substr(0, command.find("  #"));
    std::vector<std::string> shown;
    while (i + 1 < manual.size() && manual[i + 1].rfind("$ ", 0) != 0 && manual[i + 1].rfind("```", 0) != 0) {
      shown.push_back(manual[++i]);
    }
    if (shown.empty()) continue;
    std::vector<std::string> args;  // words, a double-quoted one whole
    std::istringstream words(command.substr(command.find(' ') + 1));
    for (std::string word; words >> std::quoted(word);) args.push_back(word);
    const CliResult r = Run(args);
    ASSERT_EQ(r.exitCode, 0) << command << "\n" << r.err;
    std::string printed = r.out + r.err;
    for (std::size_t at; (at = printed.find(dir_.file("config"))) != std::string::npos;) {
      printed.replace(at, dir_.file("config").size(), "/home/me/.config");
    }
    std::string expected;
    for (const std::string& line : shown) expected += line + "\n";
    EXPECT_EQ(printed, expected) << command;
    ++checked;
  }
  EXPECT_EQ(checked, 3);  // the data file, Cross-WLF and Carreau
}

}  // namespace
}  // namespace kelvado::testing
