// SPDX-License-Identifier: Apache-2.0
// The flow model reaches every path of the command line: option, inputs file, sweep,
// characteristic, exports; a consistent run that cannot converge ends like a closure failure.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/cli/cli_process.h"
#include "tests/support/temp_dir.h"

namespace kelvado::testing {
namespace {

class FlowModelCli : public ::testing::Test {
 protected:
  CliResult Run(const std::vector<std::string>& args) { return RunCli(args, dir_.path()); }
  std::string Read(const std::string& name) const { return ReadBytes(dir_.file(name)); }
  TempDir dir_;
};

TEST_F(FlowModelCli, InputsFileChoosesTheModelAndEveryOutputNamesIt) {
  WriteBytes(dir_.file("case.txt"), "flow-model = consistent\npower-index = 0.6\n");
  const CliResult run = Run({"--inputs", "case.txt", "--json", "run.json", "--csv", "out"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(Read("result.txt").find("Flow Model                              =  consistent\r\n"), std::string::npos);
  const nlohmann::json doc = nlohmann::json::parse(Read("run.json"));
  EXPECT_EQ(doc["flowModel"], "consistent");
  EXPECT_NE(Read("out/steps.csv").find(",FlowModel\r\n"), std::string::npos);

  // The option wins over the file.
  const CliResult classic = Run({"--inputs", "case.txt", "--flow-model", "classic", "--json", "c.json", "-o", "c.txt"});
  ASSERT_EQ(classic.exitCode, 0) << classic.err;
  const nlohmann::json classicDoc = nlohmann::json::parse(Read("c.json"));
  EXPECT_EQ(classicDoc["flowModel"], "classic");
  // At n = 0.6 the exact momentum balance builds far less pressure than the classic field.
  const char* pressure = "outletPressure_kgf_per_cm2";
  EXPECT_LT(doc["powerBalance"][pressure].get<double>(), 0.5 * classicDoc["powerBalance"][pressure].get<double>());
  EXPECT_EQ(Read("c.txt").find("Flow Model"), std::string::npos);
  EXPECT_EQ(Run({"--flow-model", "exact"}).exitCode, 2);
}

TEST_F(FlowModelCli, SweepsAndCharacteristicsRunTheModelAndSayIt) {
  const CliResult sweep = Run({"sweep", "--flow-model", "consistent", "--vary", "power-index=0.6:1:2", "--csv", "s.csv"});
  ASSERT_EQ(sweep.exitCode, 0) << sweep.err;
  const std::string csv = Read("s.csv");
  EXPECT_EQ(csv.substr(0, csv.find('\r')).find("power-index (-),flow-model,"), 0u) << csv;
  EXPECT_EQ(csv.find("consistent,", csv.find('\n')) != std::string::npos, true);

  const CliResult characteristic =
      Run({"characteristic", "--flow-model=consistent", "--rpm", "80", "--output-rate", "50:60:2"});
  ASSERT_EQ(characteristic.exitCode, 0) << characteristic.err;
  EXPECT_NE(characteristic.out.find("consistent"), std::string::npos);
}

TEST_F(FlowModelCli, AConsistentRunThatCanNotConvergeEndsLikeAClosureFailure) {
  const CliResult run = Run({"--flow-model", "consistent", "--std-viscosity", "1e250"});
  EXPECT_EQ(run.exitCode, 5);
  EXPECT_NE(run.err.find("the consistent flow model found no pressure gradients"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(dir_.file("result.txt")));
}

}  // namespace
}  // namespace kelvado::testing
