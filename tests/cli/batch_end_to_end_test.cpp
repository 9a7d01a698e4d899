// SPDX-License-Identifier: Apache-2.0
// sweep, characteristic and the exports as a user runs them: the real binary in a fresh folder.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "tests/cli/cli_process.h"
#include "tests/cli/csv_reader.h"
#include "tests/support/temp_dir.h"

namespace kelvado::testing {
namespace {

class Batch : public ::testing::Test {
 protected:
  CliResult Run(const std::vector<std::string>& args) { return RunCli(args, dir_.path()); }
  std::string Read(const std::string& name) const { return ReadBytes(dir_.file(name)); }
  bool Exists(const std::string& name) const { return std::filesystem::exists(dir_.file(name)); }

  TempDir dir_;
};

TEST_F(Batch, SweepPrintsItsTableWritesItsCsvAndNoResultsFile) {
  const CliResult run = Run({"sweep", "--vary", "output-rate=0:60:3", "--csv", "sweep.csv"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");  // standard error is no terminal here: no bar
  EXPECT_NE(run.out.find("Outlet pressure"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("improper input  Output (kg/hr) must be above zero"), std::string::npos) << run.out;
  const auto rows = ReadCsv(Read("sweep.csv"));
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1][7], "improper input");
  EXPECT_EQ(rows[3][7], "finished");
  EXPECT_FALSE(Exists("result.txt"));
}

TEST_F(Batch, SingleRunWritesItsExports) {
  const CliResult run = Run({"--csv", "out", "--json", "run.json"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(Read("out/steps.csv").starts_with("Step (-),"));
  EXPECT_TRUE(Read("out/outlet.csv").starts_with("Node (-),"));
  EXPECT_TRUE(Read("run.json").starts_with("{\"status\":\"finished\""));
}

TEST_F(Batch, UsageErrorsAndUnwritableTables) {
  const std::vector<std::vector<std::string>> usage = {
      {"sweep", "--vary", "density=1:2:0"}, {"sweep", "--vary", "density=1:2:1000", "--vary", "output-rate=1:2:1000"},
      {"characteristic", "--rpm", "0", "--output-rate", "40:80:3"},
  };
  for (const auto& args : usage) {
    const CliResult run = Run(args);
    EXPECT_EQ(run.exitCode, 2) << args.back();
    EXPECT_NE(run.err.find("Try 'kelvado-cli --help'"), std::string::npos) << args.back();
    EXPECT_EQ(run.out, "") << args.back();
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir_.path()));

  const CliResult missing = Run({"sweep", "--vary", "density=1:2:2", "--csv", "no/such.csv"});
  EXPECT_EQ(missing.exitCode, 6);
  EXPECT_EQ(missing.err, "kelvado-cli: can not write 'no/such.csv': No such file or directory\n");
  struct stat st {};
  if (stat("/dev/full", &st) == 0 && S_ISCHR(st.st_mode)) {
    const CliResult full = Run({"characteristic", "--rpm", "70", "--output-rate", "40:80:3", "--csv", "/dev/full"});
    EXPECT_EQ(full.exitCode, 8);  // opened, then the write failed
    EXPECT_NE(full.err.find("No space left on device"), std::string::npos) << full.err;
  }
}

TEST_F(Batch, HelpDocumentsTheCommandsAndTheirOptions) {
  const CliResult help = Run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  for (const char* word : {" sweep ", " characteristic ", "--vary FIELD=FROM:TO:COUNT", "--rpm R", "--threads N",
                           "--csv DIR", "--csv FILE", "--json FILE", "Exit status:\n"}) {
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  }
  // After a command, that command's usage alone.
  const CliResult sweep = Run({"sweep", "--help"});
  EXPECT_EQ(sweep.exitCode, 0);
  EXPECT_TRUE(sweep.out.starts_with("Usage: kelvado-cli sweep --vary")) << sweep.out;
  for (const char* word : {"--threads N", "--csv FILE", "--inputs FILE", "--rpm R", "zoneN.KEY"}) {
    EXPECT_NE(sweep.out.find(word), std::string::npos) << word;
  }
  for (const char* word : {"--json FILE", "die-curve"}) {
    EXPECT_EQ(sweep.out.find(word), std::string::npos) << word;
  }
}

}  // namespace
}  // namespace kelvado::testing
