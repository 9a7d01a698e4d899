// SPDX-License-Identifier: Apache-2.0
// kelvado-cli against what a careless or hostile user does to it: signals, pipes, full
// devices, paths and outputs that collide. Each ends fast, with its documented status, and
// leaves alone every file the run did not create.
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

#include "tests/cli/cli_process.h"
#include "tests/support/temp_dir.h"

namespace kelvado::testing {
namespace {

class Hostile : public ::testing::Test {
 protected:
  CliResult Run(const std::vector<std::string>& args, const CliExtras& extras = {}, double timeout = 30,
                const std::vector<std::string>& env = {}) {
    return RunCli(args, dir_.path(), env, timeout, extras);
  }
  std::string Path(const std::string& name) const { return dir_.file(name); }
  TempDir dir_;
};

TEST_F(Hostile, SignalsCancelASingleRunLikeTheWindowsCancel) {
  for (const auto& [signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
    // Every step paused, so that the signal comes in the middle of the run.
    const CliResult run = Run({"--length-ratio", "1000", "-o", "r.txt", "--json", "r.json"},
                              CliExtras{signal, 0.3, {}, {}, {}}, 30, {"KELVADO_TEST_STEP_PAUSE_MS=2"});
    EXPECT_EQ(run.exitCode, status) << run.err;
    EXPECT_LT(run.secondsAfterSignal, 1.0);
    EXPECT_EQ(run.err, "kelvado-cli: The run was cancelled.\n");
    EXPECT_FALSE(std::filesystem::exists(Path("r.txt")));  // the unfinished file went
    EXPECT_NE(ReadBytes(Path("r.json")).find("\"status\":\"cancelled\""), std::string::npos);
  }
}

TEST_F(Hostile, SignalDuringASweepKeepsTheEarlierCsv) {
  WriteBytes(Path("s.csv"), "old\n");
  const CliResult run =
      Run({"sweep", "--vary", "output-rate=40:80:20000", "--csv", "s.csv"}, CliExtras{SIGINT, 0.5, {}, {}, {}});
  EXPECT_EQ(run.exitCode, 130) << run.err;
  EXPECT_LT(run.secondsAfterSignal, 1.0);
  EXPECT_EQ(ReadBytes(Path("s.csv")), "old\n");
  // The table stops where it got to (how far depends on the machine's speed), on a whole row.
  EXPECT_TRUE(run.out.empty() || run.out.ends_with('\n'));
  // Nothing but the earlier file is left: no temporary file beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1);
}

// die-curve stops like a sweep: within a second, the earlier CSV left as it was.
TEST_F(Hostile, SignalDuringADieCurveKeepsTheEarlierCsv) {
  WriteBytes(Path("d.csv"), "old\n");
  std::vector<std::string> args{"die-curve", "--melt-temp", "300", "--output-rate", "10:50:100000", "--csv", "d.csv"};
  for (int i = 0; i < 30; ++i) args.insert(args.end(), {"--die", "annulus:outer=2,inner=1.5,length=1"});
  const CliResult run = Run(args, CliExtras{SIGINT, 0.3, {}, {}, {}});
  EXPECT_EQ(run.exitCode, 130) << run.err;
  EXPECT_LT(run.secondsAfterSignal, 1.0);
  EXPECT_EQ(ReadBytes(Path("d.csv")), "old\n");
}

// An input that never ends its first line ends the command at a signal, or after a short
// silence, said so; the materials file too.
TEST_F(Hostile, AFifoAsAnInputNeverBlocks) {
  ASSERT_EQ(::mkfifo(Path("in").c_str(), 0600), 0);
  const CliResult signalled = Run({"--inputs", "in"}, CliExtras{SIGTERM, 0.3, {}, {}, {}});
  EXPECT_EQ(signalled.exitCode, 143) << signalled.err;
  EXPECT_LT(signalled.secondsAfterSignal, 1.0);

  std::filesystem::create_directories(Path("config/kelvado"));
  ASSERT_EQ(::mkfifo(Path("config/kelvado/materials.json").c_str(), 0600), 0);
  const CliResult silent = RunCli({"--material", "LDPE"}, dir_.path(), {"XDG_CONFIG_HOME=" + Path("config")}, 30);
  EXPECT_EQ(silent.exitCode, 2) << silent.err;
  EXPECT_NE(silent.err.find("materials.json': nothing came in"), std::string::npos) << silent.err;
  EXPECT_LT(silent.seconds, 15.0);
}

TEST_F(Hostile, PipesAndFoldersAreRefusedAtOnce) {
  ASSERT_EQ(::mkfifo(Path("f").c_str(), 0600), 0);
  const std::vector<std::vector<std::string>> commands = {
      {"-o", "f"},
      {"-o", "r.txt", "--json", "f"},
      {"-o", "r.txt", "--json", "."},
      {"sweep", "--vary", "output-rate=40:80:2", "--csv", "f"},
  };
  for (const auto& args : commands) {
    const CliResult run = Run(args);
    EXPECT_EQ(run.exitCode, 6) << args[1] << ' ' << args.back() << ": " << run.err;
    EXPECT_LT(run.seconds, 2.0);
  }
  EXPECT_FALSE(std::filesystem::exists(Path("r.txt")));  // refused before the run
}

TEST_F(Hostile, StandardOutputThatCanNotBeWrittenIsAWriteError) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"-o", "r.txt"}, {"--help"}, {"sweep", "--vary", "output-rate=40:80:2"}}) {
    const CliResult run = Run(args, CliExtras{0, 0, "/dev/full", {}, {}});
    EXPECT_EQ(run.exitCode, 8) << args[0];
    EXPECT_NE(run.err.find("can not write to standard output"), std::string::npos) << run.err;
  }
}

TEST_F(Hostile, TwoOutputsNamingOneFileAreAUsageError) {
  WriteBytes(Path("r.txt"), "precious");
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"-o", "r.txt", "--json", "r.txt"}, {"-o", "o/steps.csv", "--csv", "o"},
           {"-o", "r.txt", "--json", "./r.txt"}}) {
    const CliResult run = Run(args);
    EXPECT_EQ(run.exitCode, 2) << args.back() << ": " << run.err;
  }
  EXPECT_EQ(ReadBytes(Path("r.txt")), "precious");
}

// Two long names are two files, each refused for its own length before the run.
TEST_F(Hostile, OverLongNamesAreRefusedForTheirLength) {
  const std::string json(300, 'a');
  const CliResult run = Run({"-o", "r.txt", "--json", json, "--csv", std::string(300, 'b')});
  EXPECT_EQ(run.exitCode, 6) << run.err;
  EXPECT_NE(run.err.find(json + "': a name in it is longer than 255 bytes"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(Path("r.txt")));
}

TEST_F(Hostile, ALongNameIsCutButNeverItsFolder) {
  const std::string folder = std::string(200, 'd') + "/" + std::string(60, 'e');
  std::filesystem::create_directories(Path(folder));
  // The file a cut of the whole path to 255 bytes would have named.
  const std::string bystander = std::string(200, 'd') + "/" + std::string(54, 'e');
  WriteBytes(Path(bystander), "precious");
  const CliResult run = Run({"-o", folder + "/result.txt"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(ReadBytes(Path(bystander)), "precious");
  EXPECT_TRUE(std::filesystem::exists(Path(folder + "/result.txt")));
}

TEST_F(Hostile, ShearThickeningCasesThatOnceRanForSecondsAreRefusedAtOnce) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--power-index", "3", "--barrel-temp", "123"},
           {"--power-index", "3.463", "--barrel-temp", "308.8", "--inlet-temp", "171.5", "--temp-coeff",
            "0.0221", "--output-rate", "153.65"}}) {
    const CliResult run = Run(args);
    EXPECT_EQ(run.exitCode, 3) << run.err;
    EXPECT_NE(run.err.find("Parameter n (-) must be above zero and at most 1"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(Path("result.txt")));
  }
}

}  // namespace
}  // namespace kelvado::testing
