// SPDX-License-Identifier: Apache-2.0
// operating-point and die-curve as a user runs them: the real binary in a fresh folder.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numbers>

#include "tests/cli/cli_process.h"
#include "tests/cli/csv_reader.h"
#include <nlohmann/json.hpp>
#include "tests/support/temp_dir.h"

namespace kelvado::testing {
namespace {

class DieCommands : public ::testing::Test {
 protected:
  CliResult Run(const std::vector<std::string>& args) { return RunCli(args, dir_.path()); }
  std::string Read(const std::string& name) const { return ReadBytes(dir_.file(name)); }

  TempDir dir_;
};

TEST_F(DieCommands, OperatingPointFromAnInputsFileWithItsDiePrintsAndExportsThePoint) {
  std::ofstream(dir_.file("case.txt")) << "barrel-temp = 290\ndie = slit:width=20,gap=0.08,length=4\n"
                                          "die = circular:diameter=2,length=5\n";
  const CliResult run =
      Run({"operating-point", "--rpm", "80", "--inputs", "case.txt", "--json", "point.json", "--csv", "point.csv"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("slit:width=20,gap=0.08,length=4"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Die pressure drop"), std::string::npos) << run.out;

  const nlohmann::json doc = nlohmann::json::parse(Read("point.json"));
  EXPECT_EQ(doc["status"].get<std::string>(), "found");
  EXPECT_EQ(doc["inputs"]["barrel-temp"].get<double>(), 290);
  const nlohmann::json& point = doc["operatingPoint"];
  EXPECT_NEAR(point["rpm"].get<double>(), 80, 1e-9);
  const double pressure = point["outletPressure_kgf_per_cm2"].get<double>();
  EXPECT_NEAR(point["diePressureDrop_kgf_per_cm2"].get<double>(), pressure, 0.01 * pressure);
  const nlohmann::json& sections = doc["dieSections"];
  ASSERT_EQ(sections.size(), 2u);
  EXPECT_EQ(sections[1]["type"].get<std::string>(), "circular");
  EXPECT_EQ(sections[1]["diameter_cm"].get<double>(), 2);
  EXPECT_DOUBLE_EQ(sections[0]["pressureDrop_kgf_per_cm2"].get<double>() + sections[1]["pressureDrop_kgf_per_cm2"].get<double>(),
                   point["diePressureDrop_kgf_per_cm2"].get<double>());
  // The apparent wall shear rate of the slit at the point's volume rate.
  const double q = point["outputRate_kg_per_hr"].get<double>() / 3.6 / 0.96;
  EXPECT_NEAR(sections[0]["wallShearRate_per_s"].get<double>(), 6 * q / (20 * 0.08 * 0.08), 1e-9 * q);
  EXPECT_EQ(doc["screwRuns"].get<double>(), static_cast<double>(doc["runs"].size()));

  const auto rows = ReadCsv(Read("point.csv"));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(std::stod(rows[1][0]), point["outputRate_kg_per_hr"].get<double>());
  EXPECT_EQ(rows[2][7], "circular:diameter=2,length=5");
  EXPECT_FALSE(std::filesystem::exists(dir_.file("result.txt")));
}

TEST_F(DieCommands, PressuresArePrintedInTheAskedUnit) {
  const CliResult point =
      Run({"operating-point", "--rpm", "80", "--die", "slit:width=20,gap=0.08,length=4", "--units", "MPa"});
  ASSERT_EQ(point.exitCode, 0) << point.err;
  EXPECT_NE(point.out.find("(MPa)"), std::string::npos) << point.out;
  EXPECT_EQ(point.out.find("kgf/cm2"), std::string::npos) << point.out;
  const CliResult curve = Run({"die-curve", "--die", "circular:diameter=1,length=1", "--melt-temp", "300",
                               "--output-rate", "10:20:2", "--units", "bar"});
  ASSERT_EQ(curve.exitCode, 0) << curve.err;
  EXPECT_NE(curve.out.find("(bar)"), std::string::npos) << curve.out;
  EXPECT_EQ(curve.out.find("kgf/cm2"), std::string::npos) << curve.out;
}

TEST_F(DieCommands, NoPointImproperDieAndUsageHaveTheirExitStatus) {
  const CliResult closed = Run({"operating-point", "--rpm", "80", "--die", "circular:diameter=0.1,length=3"});
  EXPECT_EQ(closed.exitCode, 9);
  EXPECT_NE(closed.err.find("No operating point: the screw run at "), std::string::npos) << closed.err;

  const CliResult zero = Run({"operating-point", "--rpm", "80", "--die", "annulus:outer=2,inner=2.5,length=1"});
  EXPECT_EQ(zero.exitCode, 3);
  EXPECT_EQ(zero.err, "kelvado-cli: die section 'annulus:outer=2,inner=2.5,length=1': the inner diameter must be smaller than the outer\n");

  EXPECT_EQ(Run({"operating-point", "--rpm", "80"}).exitCode, 2);  // no die
  EXPECT_EQ(Run({"operating-point", "--rpm", "fast", "--die", "circular:diameter=1,length=1"}).exitCode, 2);

  const CliResult help = Run({"operating-point", "--help"});
  EXPECT_EQ(help.exitCode, 0);
  for (const char* word : {"operating-point --rpm R --die SECTION", "circular:diameter=D,length=L",
                           "kelvado-cli operating-point --rpm 80 --die", "9    operating-point: no point"}) {
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  }
}

TEST_F(DieCommands, NewtonianDieCurveIsHagenPoiseuille) {
  const CliResult run = Run({"die-curve", "--power-index", "1", "--die", "circular:diameter=0.2,length=2",
                             "--melt-temp", "290", "--output-rate", "12:36:3", "--csv", "curve.csv"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto rows = ReadCsv(Read("curve.csv"));
  ASSERT_EQ(rows.size(), 4u);
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const double q = std::stod(rows[i][0]) / 3.6 / 0.96;
    const double expected = 128 * 10.5 * 2 * q / (std::numbers::pi * std::pow(0.2, 4)) / 1000;
    EXPECT_NEAR(std::stod(rows[i][2]), expected, 1e-12 * expected) << rows[i][0];
  }
}

}  // namespace
}  // namespace kelvado::testing
