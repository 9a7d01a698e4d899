// SPDX-License-Identifier: Apache-2.0
// The user's materials file as the one copy of what the user saved, and the data and case
// files a command reads: none is lost to another writer or an output, and none hangs the
// command. The configuration folder is the test's own (XDG_CONFIG_HOME).
#include <gtest/gtest.h>

#include <csignal>
#include <nlohmann/json.hpp>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/cli/cli_process.h"
#include "tests/support/temp_dir.h"

namespace kelvado::testing {
namespace {

// eta = 1500 Pa.s (gamma/100)^-0.6 exp(-0.015 (T - 210)) at nine points, to six digits.
constexpr const char* kTable =
    "temp_C,shear_rate_per_s,viscosity_Pa_s\n"
    "190,10,8060.83\n190,100,2024.79\n190,1000,508.604\n"
    "210,10,5971.61\n210,100,1500\n210,1000,376.783\n"
    "230,10,4423.88\n230,100,1111.23\n230,1000,279.128\n";

class MaterialsFile : public ::testing::Test {
 protected:
  MaterialsFile() {
    WriteBytes(dir_.file("good.csv"), kTable);
    std::filesystem::create_directories(dir_.file("config/kelvado"));
  }
  CliResult Run(const std::vector<std::string>& args, const CliExtras& extras = {}) {
    return RunCli(args, dir_.path(), {"XDG_CONFIG_HOME=" + dir_.file("config")}, 30, extras);
  }
  CliResult Save(const std::string& name) {
    return Run({"materials", "fit", "good.csv", "--save", "--name", name, "--like", "LDPE"});
  }
  std::string UserFile() const { return dir_.file("config/kelvado/materials.json"); }
  std::set<std::string> SavedNames(const std::string& file) const {
    std::set<std::string> names;
    const nlohmann::json document = nlohmann::json::parse(ReadBytes(file));
    for (const auto& m : document.at("materials")) names.insert(m.at("name"));
    return names;
  }
  static mode_t Mode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
  }

  TempDir dir_;
};

TEST_F(MaterialsFile, TwentySavesAtOnceKeepTwentyMaterials) {
  // Started together from one shell, each writing its exit status to a file of its own.
  const std::string script =
      "for i in $(seq 1 20); do (\"$0\" materials fit good.csv --save --name P$i --like LDPE >/dev/null 2>err$i;"
      " echo $? >code$i) & done; wait";
  const CliResult shell = RunCli({"-c", script, KELVADO_CLI}, dir_.path(), {"XDG_CONFIG_HOME=" + dir_.file("config")},
                                 120, CliExtras{0, 0, {}, {}, "/bin/sh"});
  ASSERT_EQ(shell.exitCode, 0) << shell.err;
  std::set<std::string> expected;
  for (int i = 1; i <= 20; ++i) {
    const std::string n = std::to_string(i);
    EXPECT_EQ(ReadBytes(dir_.file("code" + n)), "0\n") << ReadBytes(dir_.file("err" + n));
    expected.insert(std::string("P").append(n));
  }
  EXPECT_EQ(SavedNames(UserFile()), expected);
}

// A read-only file is refused as every output is, and left as it was; a link is written
// through to the file it names, which keeps its mode.
TEST_F(MaterialsFile, ReadOnlyIsRefusedAndALinkIsKept) {
  ASSERT_EQ(Save("First").exitCode, 0);
  const std::string before = ReadBytes(UserFile());
  ASSERT_EQ(::chmod(UserFile().c_str(), 0444), 0);
  const CliResult refused = Save("Second");
  EXPECT_EQ(refused.exitCode, 6) << refused.err;
  EXPECT_NE(refused.err.find("can not write '" + UserFile() + "': the file is read-only"), std::string::npos)
      << refused.err;
  EXPECT_EQ(ReadBytes(UserFile()), before);
  EXPECT_EQ(Mode(UserFile()), 0444u);

  const std::string kept = dir_.file("kept.json");
  std::filesystem::rename(UserFile(), kept);
  ASSERT_EQ(::chmod(kept.c_str(), 0640), 0);
  std::filesystem::create_symlink(kept, UserFile());
  const CliResult linked = Save("Second");
  ASSERT_EQ(linked.exitCode, 0) << linked.err;
  EXPECT_TRUE(std::filesystem::is_symlink(UserFile()));
  EXPECT_EQ(SavedNames(kept), (std::set<std::string>{"First", "Second"}));
  EXPECT_EQ(Mode(kept), 0640u);
}

// The fit's own JSON may name neither the materials file nor the table it reads; a case on
// standard input is an input like a named one. Each is refused as an output that names the
// run's case is, and every file keeps its bytes.
TEST_F(MaterialsFile, OutputsMayNotReplaceWhatIsRead) {
  ASSERT_EQ(Save("First").exitCode, 0);
  const std::string materials = ReadBytes(UserFile());
  const std::string kCase = "# a sheet die\ndie = slit:width=20,gap=0.08,length=4\n";
  WriteBytes(dir_.file("c.kvcase"), kCase);
  const CliResult named = Run({"--inputs", "c.kvcase", "-o", "c.kvcase"});
  ASSERT_GT(named.exitCode, 0);

  for (const auto& [args, file] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"materials", "fit", "good.csv", "--json", UserFile()}, UserFile()},
           {{"materials", "fit", "good.csv", "--json", "good.csv"}, "good.csv"}}) {
    const CliResult run = Run(args);
    EXPECT_EQ(run.exitCode, named.exitCode) << run.err;
    EXPECT_NE(run.err.find("'" + file + "' is"), std::string::npos) << run.err;
  }
  for (const auto& args : std::vector<std::vector<std::string>>{{"--inputs", "-", "-o", "c.kvcase"},
                                                                {"--inputs", "-", "-o", "r.txt", "--json", "c.kvcase"}}) {
    const CliResult run = Run(args, CliExtras{0, 0, {}, dir_.file("c.kvcase"), {}});
    EXPECT_EQ(run.exitCode, named.exitCode) << run.err;
    EXPECT_NE(run.err.find("'c.kvcase' is also an input of this run"), std::string::npos) << run.err;
  }
  EXPECT_EQ(ReadBytes(UserFile()), materials);
  EXPECT_EQ(ReadBytes(dir_.file("good.csv")), kTable);
  EXPECT_EQ(ReadBytes(dir_.file("c.kvcase")), kCase);
  // Read from standard input and written elsewhere, the case still runs.
  EXPECT_EQ(Run({"--inputs", "-", "-o", "r.txt"}, CliExtras{0, 0, {}, dir_.file("c.kvcase"), {}}).exitCode, 0);
}

// A data file that is a FIFO never blocks in its open: a signal ends the command at once.
// A folder or an endless device is refused, named.
TEST_F(MaterialsFile, DataFilesThatAreNoFilesNeverHang) {
  ASSERT_EQ(::mkfifo(dir_.file("f.csv").c_str(), 0600), 0);
  const CliResult fifo = Run({"materials", "fit", "f.csv"}, CliExtras{SIGTERM, 0.3, {}, {}, {}});
  EXPECT_EQ(fifo.exitCode, 143) << fifo.err;
  EXPECT_LT(fifo.secondsAfterSignal, 1.0);
  EXPECT_NE(fifo.err.find("'f.csv': interrupted by a signal"), std::string::npos) << fifo.err;

  std::filesystem::create_directories(dir_.file("d.csv"));
  for (const auto& [file, said] : {std::pair{"d.csv", "'d.csv': it is a folder"},
                                   std::pair{"/dev/zero", "'/dev/zero' is larger than 4 MiB"}}) {
    const CliResult run = Run({"materials", "fit", file});
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_NE(run.err.find(said), std::string::npos) << run.err;
    EXPECT_LT(run.seconds, 2.0);
  }
}

}  // namespace
}  // namespace kelvado::testing
