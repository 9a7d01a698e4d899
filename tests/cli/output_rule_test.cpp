// SPDX-License-Identifier: Apache-2.0
// Every output of every entry point, the command line's and the window's headless ones,
// against the nodes a careless or hostile user names: each follows the one rule and leaves
// the node as it was. The nodes are made in the test's own folder, never the system's.
#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/cli/cli_process.h"
#include "tests/support/temp_dir.h"

namespace kelvado::testing {
namespace {

// "OUT" and "CASE" in the arguments stand for the output's path and the case file's.
struct EntryPoint {
  const char* name;
  std::vector<std::string> args;
  bool window = false;
};

const std::vector<EntryPoint> kEntryPoints = {
    {"single run -o", {"--inputs", "CASE", "-o", "OUT"}},
    {"single run --json", {"--inputs", "CASE", "-o", "r.txt", "--json", "OUT"}},
    {"sweep --csv", {"sweep", "--inputs", "CASE", "--vary", "output-rate=40:50:2", "--csv", "OUT"}},
    {"characteristic --csv", {"characteristic", "--inputs", "CASE", "--rpm", "70", "--output-rate", "40:50:2", "--csv", "OUT"}},
    {"operating-point --json", {"operating-point", "--inputs", "CASE", "--rpm", "80", "--json", "OUT"}},
    {"die-curve --csv", {"die-curve", "--inputs", "CASE", "--melt-temp", "300", "--output-rate", "10:50:3", "--csv", "OUT"}},
#ifdef KELVADO_GUI
    {"kelvado --report", {"--report", "OUT", "CASE"}, true},
    {"kelvado --screenshot", {"--screenshot", "OUT", "CASE"}, true},
    {"kelvado --plot-screenshot", {"--plot-screenshot", "OUT"}, true},
    {"kelvado --die-screenshot", {"--die-screenshot", "OUT"}, true},
#endif
};

enum class Node { Fifo, FullDevice, NullDevice, ReadOnly, TheCase, UserMaterials };

struct Expected {
  Node node;
  const char* name;
  int exitCode;
};

const Expected kNodes[] = {
    {Node::Fifo, "a FIFO", 6},
    {Node::FullDevice, "a device that is full", 8},  // a write error: the device opened
    {Node::NullDevice, "a device that takes everything", 0},
    {Node::ReadOnly, "a read-only file", 6},
    {Node::TheCase, "the run's own case file", 2},
    // Read by the run or not, through a link of another name: refused as the case is.
    {Node::UserMaterials, "a link to the user's materials file", 2},
};

constexpr const char* kCase = "# a sheet die\ndie = slit:width=20,gap=0.08,length=4\n";
constexpr const char* kOld = "the user's file\n";
constexpr const char* kMaterials = "{\"materials\": []}\n";

TEST(OutputRule, EveryEntryPointLeavesWhatIsAtThePathAsItWas) {
  for (const EntryPoint& entry : kEntryPoints) {
    for (const Expected& expected : kNodes) {
      const bool takesCase = std::find(entry.args.begin(), entry.args.end(), "CASE") != entry.args.end();
      if (expected.node == Node::TheCase && !takesCase) continue;
      TempDir dir;
      const std::string casePath = dir.file("case.kvcase");
      WriteBytes(casePath, kCase);
      // The pictures take their format from the name.
      std::string out = dir.file("node.png");
      switch (expected.node) {
        case Node::Fifo: ASSERT_EQ(mkfifo(out.c_str(), 0644), 0); break;
        case Node::FullDevice: ASSERT_EQ(symlink("/dev/full", out.c_str()), 0); break;
        case Node::NullDevice: ASSERT_EQ(symlink("/dev/null", out.c_str()), 0); break;
        case Node::ReadOnly:
          WriteBytes(out, kOld);
          ASSERT_EQ(chmod(out.c_str(), 0444), 0);
          break;
        case Node::TheCase: out = casePath; break;
        case Node::UserMaterials:
          std::filesystem::create_directories(dir.file("config/kelvado"));
          WriteBytes(dir.file("config/kelvado/materials.json"), kMaterials);
          ASSERT_EQ(symlink(dir.file("config/kelvado/materials.json").c_str(), out.c_str()), 0);
          break;
      }
      std::vector<std::string> args = entry.args;
      for (std::string& arg : args) {
        if (arg == "OUT") arg = out;
        if (arg == "CASE") arg = casePath;
      }
      CliExtras extras;
      if (entry.window) extras.program = KELVADO_GUI;
      const CliResult run = RunCli(args, dir.path(), {"QT_QPA_PLATFORM=offscreen", "XDG_CONFIG_HOME=" + dir.file("config")}, 60, extras);
      const std::string what = std::string(entry.name) + " on " + expected.name + ": " + run.err;

      EXPECT_EQ(run.exitCode, expected.exitCode) << what;
      if (expected.node == Node::FullDevice) {
        EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << what;
      }
      struct stat st {};
      ASSERT_EQ(lstat(out.c_str(), &st), 0) << what;
      switch (expected.node) {
        case Node::Fifo: EXPECT_TRUE(S_ISFIFO(st.st_mode)) << what; break;
        case Node::FullDevice:
        case Node::NullDevice: EXPECT_TRUE(S_ISLNK(st.st_mode)) << what; break;
        case Node::UserMaterials:
          EXPECT_TRUE(S_ISLNK(st.st_mode)) << what;
          EXPECT_EQ(ReadBytes(out), kMaterials) << what;
          break;
        case Node::ReadOnly: EXPECT_EQ(ReadBytes(out), kOld) << what; break;
        case Node::TheCase: EXPECT_EQ(ReadBytes(out), kCase) << what; break;
      }
      // A refusal names the path it is about.
      if (expected.exitCode == 6 || expected.exitCode == 2) {
        EXPECT_NE(run.err.find(out), std::string::npos) << what;
      }
    }
  }
}

}  // namespace
}  // namespace kelvado::testing
