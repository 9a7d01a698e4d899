// SPDX-License-Identifier: Apache-2.0
// A screw fed with pellets as a user runs it: the manual's worked example, the files a run
// writes, and the values and cases it refuses.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include <nlohmann/json.hpp>

#include "tests/cli/cli_process.h"
#include "tests/cli/csv_reader.h"
#include "tests/support/temp_dir.h"

namespace kelvado::testing {
namespace {

const std::vector<std::string> kScrew = {"--zone", "turns=4,depth=0.6,barrel-temp=140",
                                         "--zone", "turns=4,depth=0.6:0.25,barrel-temp=200",
                                         "--zone", "turns=12,depth=0.25,barrel-temp=220"};

class Pellets : public ::testing::Test {
 protected:
  CliResult Run(std::vector<std::string> args, bool withScrew = true) {
    if (withScrew) args.insert(args.end(), kScrew.begin(), kScrew.end());
    return RunCli(args, dir_.path(), {"XDG_CONFIG_HOME=" + dir_.file("config")});
  }
  std::string Read(const std::string& name) const { return ReadBytes(dir_.file(name)); }
  TempDir dir_;
};

// Every `$ kelvado-cli ...` block of the manual's section on pellets, and what it prints.
std::vector<std::pair<std::vector<std::string>, std::string>> ManualExamples() {
  const std::string manual = ReadBytes(KELVADO_SOURCE_DIR "/docs/manual.md");
  const std::size_t start = manual.find("## From pellets to die");
  const std::string section = manual.substr(start, manual.find("\n## ", start + 1) - start);
  std::vector<std::pair<std::vector<std::string>, std::string>> examples;
  const std::regex block("```console\n\\$ kelvado-cli ([^\n]*)\n([^`]*)```");
  for (auto it = std::sregex_iterator(section.begin(), section.end(), block); it != std::sregex_iterator(); ++it) {
    std::istringstream words((*it)[1].str());
    std::vector<std::string> args;
    for (std::string word; words >> word;) args.push_back(word);
    examples.emplace_back(args, (*it)[2].str());
  }
  return examples;
}

TEST_F(Pellets, TheManualsWorkedExampleRunsAsPrinted) {
  const auto examples = ManualExamples();
  ASSERT_EQ(examples.size(), 2u);
  for (const auto& [args, printed] : examples) {
    const CliResult run = Run(args, false);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out + run.err, printed) << args.back();
  }
}

// From a tenth of what the feed conveys against no pressure rise to all of it, every output
// runs the stages through to the screw's end.
TEST_F(Pellets, TheCharacteristicUpToTheFeedsCeilingHasNoFailedCase) {
  const CliResult run = Run({"characteristic", "--feed", "pellets", "--material", "LDPE", "--inlet-temp", "25",
                             "--flow-model", "consistent", "--rpm", "80", "--output-rate", "11.083:110.829:12",
                             "--csv", "c.csv"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto rows = ReadCsv(Read("c.csv"));
  ASSERT_EQ(rows.size(), 13u);
  for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_EQ(rows[i][7], "finished") << rows[i][0] << ' ' << rows[i][8];
}

TEST_F(Pellets, ARunWritesItsStagesToTheResultsFileTheJsonAndTheCsv) {
  const CliResult run = Run({"--feed", "pellets", "--material", "LDPE", "--inlet-temp", "25", "--flow-model",
                             "consistent", "--rpm", "80", "--output-rate", "56.18", "--json", "r.json", "--csv", "out"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string results = Read("result.txt");
  EXPECT_NE(results.find("Outlet Pressure (kgf/cm2)"), std::string::npos);
  EXPECT_NE(results.find("    Stages of the screw, fed with pellets at 25.0 C\r\n"), std::string::npos);
  EXPECT_TRUE(results.ends_with("\r\n"));
  const nlohmann::json doc = nlohmann::json::parse(Read("r.json"));
  EXPECT_EQ(doc["feed"], "pellets");
  EXPECT_EQ(doc["pellets"]["melting-temp"], 110);
  const nlohmann::json& profile = doc["screwProfile"];
  ASSERT_GT(profile.size(), 20u * 20u);
  EXPECT_EQ(profile.front()["turn"], 0);
  EXPECT_EQ(profile.front()["stage"], "solids");  // the pellets as they enter
  EXPECT_EQ(profile[1]["stage"], "melting");        // the feed zone's barrel is above their melting
  EXPECT_EQ(profile.back()["stage"], "melt");
  EXPECT_NEAR(profile.back()["turn"].get<double>(), 20, 1e-9);
  EXPECT_TRUE(profile.back()["meanMeltTemperature_C"].is_number());
  const nlohmann::json& p = doc["plastication"];
  EXPECT_EQ(p["meltingStartTurn"], 0);
  EXPECT_GT(p["meltingEndTurn"].get<double>(), 8);
  EXPECT_LT(std::abs(p["energyBalance_kW"]["mismatch"].get<double>()), 0.02);
  const auto rows = ReadCsv(Read("out/steps.csv"));
  ASSERT_EQ(rows.size(), profile.size() + 1);
  EXPECT_EQ(rows[0][1], "Stage");
  EXPECT_EQ(rows.back()[1], "melt");
}

TEST_F(Pellets, ValuesNoPelletHasAreImproperInputNamingTheField) {
  const std::vector<std::string> base = {"--feed", "pellets", "--material", "LDPE", "--flow-model", "consistent",
                                         "--rpm", "80", "--output-rate", "50"};
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--bulk-density", "0"}, "Bulk Density (g/cm3) must be above zero"},
      {{"--solid-density", "-1"}, "Solid Density (g/cm3) must be above zero"},
      {{"--barrel-friction", "0"}, "Barrel Friction (-) must be above zero"},
      {{"--screw-friction", "-0.2"}, "Screw Friction (-) must be above zero"},
      {{"--melting-temp", "-273.15"}, "Melting Temperature (\u2103) must be above absolute zero"},
      {{"--hopper-pressure", "0"}, "Hopper Pressure (kgf/cm2) must be above zero"},
      {{"--heat-of-fusion", "x"}, "Heat of Fusion (cal/g) is not a number: 'x'"}};
  for (const auto& [given, message] : cases) {
    std::vector<std::string> args = base;
    args.insert(args.end(), given.begin(), given.end());
    const CliResult run = Run(args);
    EXPECT_EQ(run.exitCode, 3) << given[0];
    EXPECT_NE(run.err.find("kelvado-cli: " + message), std::string::npos) << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir_.file("result.txt")));
}

TEST_F(Pellets, WhatAPelletRunNeedsIsSaid) {
  // The default melt carries no pellet data.
  const CliResult noData = Run({"--feed", "pellets", "--flow-model", "consistent", "--rpm", "80"});
  EXPECT_EQ(noData.exitCode, 3);
  EXPECT_NE(noData.err.find("--bulk-density, --solid-density"), std::string::npos) << noData.err;
  const CliResult classic = Run({"--feed", "pellets", "--material", "HDPE", "--rpm", "80"});
  EXPECT_EQ(classic.exitCode, 3);
  EXPECT_NE(classic.err.find("needs the consistent flow model"), std::string::npos) << classic.err;
  const CliResult noSpeed = Run({"--feed", "pellets", "--material", "PP", "--flow-model", "consistent"});
  EXPECT_EQ(noSpeed.exitCode, 2);
  EXPECT_NE(noSpeed.err.find("screw speed"), std::string::npos) << noSpeed.err;
  const CliResult meltFed = Run({"sweep", "--vary", "barrel-friction=0.3:0.4:2"}, false);
  EXPECT_EQ(meltFed.exitCode, 2);
  EXPECT_NE(meltFed.err.find("--feed pellets only"), std::string::npos) << meltFed.err;
}

// A case file holds the feed and the pellet values as lines, and runs as the options do.
TEST_F(Pellets, ACaseFileCarriesTheFeedAndThePelletValues) {
  std::ofstream(dir_.file("pp.kvcase")) << "material = PP\nfeed = pellets\nflow-model = consistent\nrpm = 60\n"
                                           "output-rate = 30\ninlet-temp = 25\nbarrel-friction = 0.4\n"
                                           "zone = turns=20,depth=0.4,barrel-temp=230\n";
  const CliResult fromFile = Run({"--inputs", "pp.kvcase", "--json", "file.json", "-o", "file.txt"}, false);
  ASSERT_EQ(fromFile.exitCode, 0) << fromFile.err;
  const CliResult fromOptions = Run({"--material", "PP", "--feed", "pellets", "--flow-model", "consistent", "--rpm",
                                     "60", "--output-rate", "30", "--inlet-temp", "25", "--barrel-friction", "0.4",
                                     "--zone", "turns=20,depth=0.4,barrel-temp=230", "-o", "options.txt"},
                                    false);
  ASSERT_EQ(fromOptions.exitCode, 0) << fromOptions.err;
  EXPECT_EQ(Read("file.txt"), Read("options.txt"));
  const nlohmann::json doc = nlohmann::json::parse(Read("file.json"));
  EXPECT_EQ(doc["pellets"]["barrel-friction"], 0.4);
  EXPECT_EQ(doc["pellets"]["melting-temp"], 165);  // PP's, from the library
}

}  // namespace
}  // namespace kelvado::testing
