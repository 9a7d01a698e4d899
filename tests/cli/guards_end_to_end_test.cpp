// SPDX-License-Identifier: Apache-2.0
// The warnings and refusals a user meets, each at its limit and against a value of its own:
// the exported steps, the printed summary, a closed form of the channel's drag flow.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <numbers>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "tests/cli/cli_process.h"
#include "tests/support/temp_dir.h"

namespace kelvado::testing {
namespace {

class Guards : public ::testing::Test {
 protected:
  CliResult Run(std::vector<std::string> args) {
    return RunCli(args, dir_.path(), {"XDG_CONFIG_HOME=" + dir_.file("config")});
  }
  // The run's JSON export (a run that finished).
  nlohmann::json Json(std::vector<std::string> args) {
    args.insert(args.end(), {"-o", "r.txt", "--json", "r.json"});
    const CliResult run = Run(args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return nlohmann::json::parse(ReadBytes(dir_.file("r.json")));
  }
  static bool Says(const CliResult& run, const std::string& text) { return run.err.find(text) != std::string::npos; }
  static double MeanOutletTemp(const CliResult& run) {
    const std::size_t at = run.out.find("Average temperature");
    return at == std::string::npos ? NAN : std::stod(run.out.substr(at + 19));
  }

  TempDir dir_;
};

// The classic first-step gradient is compared with the consistent one over the consistent one;
// near open discharge both gradients pass through zero and no percentage is shown.
TEST_F(Guards, GradientWarningOnlyWhereBothGradientsAreWellAwayFromZero) {
  for (const char* q : {"0.3", "0.45"}) {
    const nlohmann::json classic = Json({"--flow-rate-ratio", q});
    const nlohmann::json consistent = Json({"--flow-rate-ratio", q, "--flow-model", "consistent"});
    const double a = classic["steps"][0]["pressGradZ_gf_per_cm3"], b = consistent["steps"][0]["pressGradZ_gf_per_cm3"];
    char share[32];
    std::snprintf(share, sizeof share, "%.3g %%", 100 * std::fabs(a - b) / std::fabs(b));
    ASSERT_EQ(classic["warnings"].size(), 1u) << q;
    EXPECT_NE(classic["warnings"][0].get<std::string>().find(std::string("is ") + share + " off"), std::string::npos)
        << classic["warnings"][0] << " against " << share;
  }
  // 0.47: 68 % apart, but the consistent gradient is 3.6 % of the closed-discharge one.
  for (const char* q : {"0.47", "0.49"}) EXPECT_FALSE(Says(Run({"--flow-rate-ratio", q, "-o", "r.txt"}), "off the consistent")) << q;
}

// Above 450 C at the outlet, or above the material's own highest processing temperature.
TEST_F(Guards, HotMeltWarnsAboveTheLimit) {
  for (const char* temp : {"448", "452"}) {
    const CliResult run = Run({"--inlet-temp", temp, "--barrel-temp", temp, "-o", "r.txt"});
    const double mean = MeanOutletTemp(run);
    ASSERT_NEAR(mean, 450, 3) << run.out;
    EXPECT_EQ(Says(run, "is above 450 \u00B0C"), mean > 450) << mean << run.err;
  }
  const CliResult pp = Run({"--material", "PP", "-o", "r.txt"});  // 306.33 C at the outlet
  EXPECT_TRUE(Says(pp, "is above the material's highest processing temperature, 280 \u00B0C")) << pp.err;
  EXPECT_FALSE(Says(Run({"--material", "LDPE", "-o", "r.txt"}), "processing temperature"));  // 313.97 against 320
  // A user's material with the value and one without it (files of old): 316.6 C at the outlet.
  std::filesystem::create_directories(dir_.file("config/kelvado"));
  std::string entries;
  for (const char* tail : {"\"name\": \"Capped\", \"max-processing-temp\": 310", "\"name\": \"Open\""}) {
    entries += std::string(entries.empty() ? "" : ",") +
               "{\"source\": \"t\", \"density\": 0.96, \"specific-heat\": 0.68, \"conductivity\": 0.00052, "
               "\"std-viscosity\": 10.5, \"std-shear-rate\": 100, \"std-temp\": 290, \"power-index\": 0.786, "
               "\"temp-coeff\": 0.0337, " + tail + "}";
  }
  WriteBytes(dir_.file("config/kelvado/materials.json"), "{\"materials\": [" + entries + "]}");
  EXPECT_TRUE(Says(Run({"--material", "Capped", "-o", "r.txt"}), "highest processing temperature, 310 \u00B0C"));
  const CliResult open = Run({"--material", "Open", "-o", "r.txt"});
  EXPECT_EQ(open.exitCode, 0) << open.err;
  EXPECT_FALSE(Says(open, "processing temperature")) << open.err;
}

// A shallow zone past open discharge ahead of a deep one: the pressure dips below zero and
// recovers. The warning names exactly the exported steps below zero, however shallow the dip.
TEST_F(Guards, PressureBelowZeroInsideTheChannelIsNamedByItsTurns) {
  for (const char* rpm : {"103.2", "103.3", "103.4"}) {
    const nlohmann::json run = Json({"--flow-model", "consistent", "--rpm", rpm, "--zone", "turns=3,depth=0.2", "--zone",
                                     "turns=10,depth=0.5"});
    std::vector<double> below;
    double lowest = 0;
    for (const auto& step : run["steps"]) {
      if (step["pressure_gf_per_cm2"].get<double>() < 0) below.push_back(step["turns"]);
      lowest = std::fmin(lowest, step["pressure_gf_per_cm2"].get<double>() / 1000);
    }
    std::string said;
    for (const auto& w : run["warnings"]) said += w.get<std::string>();
    if (below.empty()) {
      EXPECT_EQ(said.find("below zero"), std::string::npos) << rpm << said;
      continue;
    }
    char where[96];
    if (below.size() == 1) {
      std::snprintf(where, sizeof where, "(at turn %.2f; down to %.4g kgf/cm2)", below.front(), lowest);
    } else {
      std::snprintf(where, sizeof where, "(from turn %.2f to %.2f; down to %.4g kgf/cm2)", below.front(), below.back(), lowest);
    }
    EXPECT_NE(said.find(std::string("The pressure falls below zero inside the channel ") + where), std::string::npos)
        << rpm << ": " << said << " against " << where;
  }
  // Below zero from turn 1 to the outlet: the negative outlet pressure's warning says it, once.
  const nlohmann::json outlet = Json({"--flow-model", "consistent", "--rpm", "80", "--zone", "turns=3,depth=0.2", "--zone",
                                      "turns=10,depth=0.5"});
  ASSERT_LT(outlet["steps"].back()["pressure_gf_per_cm2"].get<double>(), 0);
  ASSERT_EQ(outlet["warnings"].size(), 1u) << outlet["warnings"];
  EXPECT_EQ(outlet["warnings"][0].get<std::string>().rfind("The outlet pressure is negative", 0), 0u) << outlet["warnings"];
}

// A classic run that does not converge keeps its message and says what it saw: the back flow
// of the Newtonian profile at q = 0.2 is 1 - 1 / (3 (1 - 2q)) = 44 % of the depth.
TEST_F(Guards, ClassicRunThatGivesUpNamesItsBackFlow) {
  const CliResult run = Run({"--flow-rate-ratio", "0.2", "-o", "r.txt"});
  EXPECT_EQ(run.exitCode, 4);
  const std::string said = "where the melt flows backwards over ";
  const std::size_t at = run.err.find(said);
  ASSERT_NE(at, std::string::npos) << run.err;
  EXPECT_NEAR(std::stod(run.err.substr(at + said.size())), 44.4, 3) << run.err;
}

// A screw tapering from 1.5 to 0.2 cm behind a feed zone: the search reaches the output at which its deepest
// section reaches open discharge, W H Vbz / 2, and finds the point above the metering range.
TEST_F(Guards, OperatingPointRangeReachesTheDeepestSectionsOpenDischarge) {
  const CliResult run = Run({"operating-point", "--flow-model", "consistent", "--rpm", "80", "--die",
                             "slit:width=20,gap=0.2,length=4", "--zone", "turns=2,depth=0.8", "--zone", "turns=10,depth=1.5:0.2"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const double D = 6.5, pitch = 6.5, flight = 0.65, depth = 1.5, rpm = 80, density = 0.96;
  const double angle = std::atan(pitch / (std::numbers::pi * D));
  const double drag = 0.5 * (pitch * std::cos(angle) - flight) * depth * (std::numbers::pi * D * rpm / 60 * std::cos(angle));
  const std::size_t to = run.out.find(" kg/hr searched");
  ASSERT_NE(to, std::string::npos) << run.out;
  const std::size_t from = run.out.rfind(" to ", to);
  EXPECT_NEAR(std::stod(run.out.substr(from + 4)), drag * density * 3.6, 0.01) << run.out;
}

// A cold zone cools the melt below the case's barrel and inlet temperature: the march's bounds
// follow the coldest zone, and the deeper end of a compression zone is held to the radius too.
TEST_F(Guards, ZonedBarrelsOfTheirOwnTemperatures) {
  const nlohmann::json run =
      Json({"--flow-model", "consistent", "--rpm", "80", "--zone", "turns=4,depth=0.3,barrel-temp=250", "--zone", "turns=4,depth=0.3"});
  EXPECT_LT(run["zones"][0]["endMeanTemp_C"].get<double>(), 295);
  for (const char* zone : {"turns=4,depth=0.3:3.3", "turns=4,depth=3.3:0.3"}) {
    const CliResult refused = Run({"--flow-model", "consistent", "--rpm", "80", "--zone", zone, "-o", "z.txt"});
    EXPECT_EQ(refused.exitCode, 3) << zone;
    EXPECT_TRUE(Says(refused, "is deeper than the barrel radius, 3.25 cm")) << refused.err;
  }
}

// A results file written over keeps its mode; a new one gets the umask's. Two names of one
// file (a hard link) are one output.
TEST_F(Guards, ReplacedFilesKeepTheirModeAndOneFileIsOneOutput) {
  auto mode = [this](const char* name) {
    struct stat st {};
    return ::stat(dir_.file(name).c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
  };
  WriteBytes(dir_.file("kept.txt"), "old");
  ASSERT_EQ(::chmod(dir_.file("kept.txt").c_str(), 0604), 0);
  const mode_t mask = ::umask(027);
  const int kept = Run({"-o", "kept.txt"}).exitCode, fresh = Run({"-o", "new.txt"}).exitCode;
  ::umask(mask);
  EXPECT_EQ(kept, 0);
  EXPECT_EQ(fresh, 0);
  EXPECT_EQ(mode("kept.txt"), 0604u);
  EXPECT_EQ(mode("new.txt"), 0640u);

  ASSERT_EQ(::link(dir_.file("kept.txt").c_str(), dir_.file("other.json").c_str()), 0);
  const std::string before = ReadBytes(dir_.file("kept.txt"));
  const CliResult run = Run({"-o", "kept.txt", "--json", "other.json"});
  EXPECT_EQ(run.exitCode, 2) << run.err;
  EXPECT_TRUE(Says(run, "name the same file")) << run.err;
  EXPECT_EQ(ReadBytes(dir_.file("kept.txt")), before);
}

// Data not symmetric about the reference temperature (190, 210, 250 C about 220 C) from
// eta = 1000 Pa.s (gamma/100)^-0.5 exp(-0.02 (T - 220)): the fit gives back its own law.
TEST_F(Guards, FitOfDataNotSymmetricAboutItsReferenceGivesItsLawBack) {
  std::string table = "temp_C,shear_rate_per_s,viscosity_Pa_s\n";
  for (const int temp : {190, 210, 250}) {
    for (const int rate : {10, 100, 1000}) {
      char row[64];
      std::snprintf(row, sizeof row, "%d,%d,%.9g\n", temp, rate, 1000 * std::pow(rate / 100.0, -0.5) * std::exp(-0.02 * (temp - 220)));
      table += row;
    }
  }
  WriteBytes(dir_.file("asym.csv"), table);
  const CliResult run = Run({"materials", "fit", "asym.csv"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  for (const char* line : {"= 1000 Pa.s", "(power-index)      0.5\n", "(temp-coeff)       0.02 1/", "(std-temp)         220 "}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << '\n' << run.out;
  }
}

}  // namespace
}  // namespace kelvado::testing
