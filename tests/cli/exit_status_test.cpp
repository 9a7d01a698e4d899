// SPDX-License-Identifier: Apache-2.0
// What the programs say about how they end: each command's help, the one table of exit
// statuses against files/exit_codes.h, and the statuses of a lost reader, a full device and
// the window's headless modes.
#include <gtest/gtest.h>

#include <csignal>
#include <regex>
#include <set>
#include <sstream>
#include <utility>

#include "tests/cli/cli_process.h"
#include "tests/support/temp_dir.h"

namespace kelvado::testing {
namespace {

using StatusRows = std::vector<std::pair<int, std::string>>;

CliResult Program(const std::vector<std::string>& args, const CliExtras& extras = {}, const std::string& folder = {},
                  const std::vector<std::string>& env = {}) {
  static const TempDir dir;
  std::vector<std::string> all{"QT_QPA_PLATFORM=offscreen"};
  all.insert(all.end(), env.begin(), env.end());
  return RunCli(args, folder.empty() ? dir.path() : std::filesystem::path(folder), all, 60, extras);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// "  N    meaning" under "Exit status:", up to the first blank line.
StatusRows HelpTable(const std::string& help) {
  StatusRows rows;
  const std::regex row(R"(  (\d+) +(\S.*))");
  bool inside = false;
  for (const std::string& line : Lines(help)) {
    std::smatch m;
    if (line == "Exit status:") {
      inside = true;
    } else if (inside && std::regex_match(line, m, row)) {
      rows.emplace_back(std::stoi(m[1]), m[2]);
    } else if (inside) {
      break;
    }
  }
  return rows;
}

// "| N | meaning |" under the manual's "### Exit statuses".
StatusRows ManualTable() {
  StatusRows rows;
  const std::regex row(R"(\| (\d+) \| (.*) \|)");
  bool inside = false;
  for (const std::string& line : Lines(ReadBytes(KELVADO_SOURCE_DIR "/docs/manual.md"))) {
    std::smatch m;
    if (line.starts_with("#")) inside = line == "### Exit statuses";
    if (inside && std::regex_match(line, m, row)) rows.emplace_back(std::stoi(m[1]), m[2]);
  }
  return rows;
}

// The values of the program's own enum, read from its header.
std::set<int> HeaderStatuses() {
  std::set<int> codes;
  const std::string header = ReadBytes(KELVADO_SOURCE_DIR "/files/exit_codes.h");
  const std::regex value(R"(kExit\w+ = (\d+),)");
  for (auto it = std::sregex_iterator(header.begin(), header.end(), value); it != std::sregex_iterator(); ++it) {
    codes.insert(std::stoi((*it)[1]));
  }
  return codes;
}

std::set<int> Numbers(const StatusRows& rows) {
  std::set<int> numbers;
  for (const auto& row : rows) numbers.insert(row.first);
  return numbers;
}

TEST(ExitStatus, ManualAndHelpTablesAreTheProgramsStatuses) {
  const std::set<int> program = HeaderStatuses();
  ASSERT_GE(program.size(), 13u);  // 0 to 10, 130, 143
  const StatusRows help = HelpTable(Program({"--help"}).out);
  EXPECT_EQ(Numbers(help), program);
  EXPECT_EQ(help.size(), program.size());  // each once
  EXPECT_EQ(ManualTable(), help);          // the same numbers with the same words
  // Each command's help ends with the same table, and so does the manual page made of it.
  EXPECT_EQ(HelpTable(Program({"die-curve", "--help"}).out), help);
#ifdef KELVADO_GUI
  CliExtras window;
  window.program = KELVADO_GUI;
  EXPECT_EQ(HelpTable(Program({"--help"}, window).out), help);
#endif
}

TEST(ExitStatus, EveryCommandsHelpIsItsOwn) {
  const CliResult whole = Program({"--help"});
  ASSERT_TRUE(whole.out.starts_with("Usage: kelvado-cli [OPTIONS]\n")) << whole.out;
  const std::vector<std::vector<std::string>> commands = {
      {"sweep"},           {"characteristic"},    {"operating-point"},          {"die-curve"},
      {"materials"},       {"materials", "fit"}, {"materials", "from-cross-wlf"}, {"materials", "from-carreau"}};
  for (std::vector<std::string> command : commands) {
    std::string name;
    for (const std::string& word : command) name += " " + word;
    for (const char* help : {"--help", "-h"}) {
      std::vector<std::string> args = command;
      args.push_back(help);
      const CliResult run = Program(args);
      EXPECT_EQ(run.exitCode, 0) << name;
      EXPECT_TRUE(run.out.starts_with("Usage: kelvado-cli" + name + " ")) << name << ":\n" << run.out.substr(0, 200);
      EXPECT_LT(run.out.size(), whole.out.size() / 2) << name;
    }
  }
}

// As after `| head -1`: a table, a CSV on standard output or a summary ends with the write
// error, not with a death by SIGPIPE.
TEST(ExitStatus, AReaderThatWentAwayIsAWriteError) {
  const std::string die = "circular:diameter=0.3,length=3";
  const std::vector<std::vector<std::string>> commands = {
      {"sweep", "--vary", "output-rate=40:80:3"},
      {"sweep", "--vary", "output-rate=40:80:3", "--csv", "-"},
      {"characteristic", "--rpm", "70", "--output-rate", "40:80:3"},
      {"die-curve", "--die", die, "--melt-temp", "300", "--output-rate", "10:50:3"},
      {"die-curve", "--die", die, "--melt-temp", "300", "--output-rate", "10:50:3", "--csv", "-"},
      {"operating-point", "--rpm", "80", "--die", die},
      {"--output-rate", "40"}};
  CliExtras gone;
  gone.stdoutReaderGone = true;
  for (const auto& args : commands) {
    const CliResult run = Program(args, gone);
    EXPECT_EQ(run.exitCode, 8) << args[0] << ' ' << args.back() << ": " << run.err;
    EXPECT_NE(run.err.find("Broken pipe"), std::string::npos) << run.err;
  }
}

// The table and its CSV on one full device: one status, 8, whichever fails.
TEST(ExitStatus, AFullStandardOutputIsAWriteErrorForTheTableAndTheCsv) {
  CliExtras full;
  full.stdoutFile = "/dev/full";
  for (const bool csv : {false, true}) {
    std::vector<std::string> args{"sweep", "--vary", "output-rate=40:80:3"};
    if (csv) args.insert(args.end(), {"--csv", "-"});
    const CliResult run = Program(args, full);
    EXPECT_EQ(run.exitCode, 8) << run.err;
    EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
  }
}

#ifdef KELVADO_GUI
CliResult Window(const std::vector<std::string>& args, const std::string& folder, const CliExtras& more = {},
                 const std::vector<std::string>& env = {}) {
  CliExtras extras = more;
  extras.program = KELVADO_GUI;
  return Program(args, extras, folder, env);
}

// Two modes at once, or an option that the mode asked for would ignore, is refused before any
// work: nothing is written.
// A case fed with pellets is not run as melt: no report of another screw's numbers.
TEST(WindowExitStatus, APelletCaseIsNotReportedAsAMeltFedOne) {
  const TempDir dir;
  WriteBytes(dir.file("p.kvcase"), "material = LDPE\nfeed = pellets\nflow-model = consistent\nrpm = 80\n");
  const CliResult run = Window({"--report", "r.pdf", "p.kvcase"}, dir.path());
  EXPECT_EQ(run.exitCode, 1) << run.err;
  EXPECT_NE(run.err.find("fed with pellets"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("r.pdf")));
}

TEST(WindowExitStatus, ConflictingHeadlessOptionsAreRefused) {
  const TempDir dir;
  WriteBytes(dir.file("c.kvcase"), "output-rate = 50\n");
  const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
      {{"--screenshot", "s.png", "--report", "r.pdf"}, "--screenshot and --report make one file each"},
      {{"--plot-screenshot", "p.png", "--die-screenshot", "d.png"}, "--plot-screenshot and --die-screenshot"},
      {{"--screenshot", "s.png", "--compare", "40,80"}, "--compare goes with --with-plots"},
      {{"--report", "r.pdf", "--with-plots"}, "--with-plots goes with --screenshot"},
      {{"--report", "r.pdf", "--plot", "power"}, "--plot goes with --plot-screenshot"},
      {{"--screenshot", "s.png", "--pressure-unit", "MPa"}, "--pressure-unit goes with --report"},
      {{"--plot-screenshot", "p.png", "c.kvcase"}, "--plot-screenshot draws the default case"},
      {{"--report", "r.pdf", "--no-such-option"}, "Unknown option 'no-such-option'"},
  };
  for (const auto& [args, message] : refused) {
    const CliResult run = Window(args, dir.path());
    EXPECT_EQ(run.exitCode, 2) << args[2];
    EXPECT_NE(run.err.find("kelvado: " + message), std::string::npos) << run.err;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // the case alone
}

std::string Outputs(int count) {
  std::string list;
  for (int i = 0; i < count; ++i) list += (i ? "," : "") + std::to_string(30 + 5 * i);
  return list;
}

// Twelve kept runs are a plot an engineer can still read; a thirteenth is refused at once.
TEST(WindowExitStatus, CompareKeepsAtMostTwelveRuns) {
  const TempDir dir;
  const CliResult twelve = Window({"--screenshot", "s.png", "--with-plots", "--compare", Outputs(12)}, dir.path());
  EXPECT_EQ(twelve.exitCode, 0) << twelve.err;
  EXPECT_TRUE(std::filesystem::exists(dir.file("s.png")));
  const CliResult thirteen = Window({"--screenshot", "t.png", "--with-plots", "--compare", Outputs(13)}, dir.path());
  EXPECT_EQ(thirteen.exitCode, 2);
  EXPECT_NE(thirteen.err.find("kelvado: --compare keeps at most 12 runs, not 13"), std::string::npos) << thirteen.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("t.png")));
}

// A signal while the kept runs are made ends like the command line's: 130 or 143.
TEST(WindowExitStatus, SignalsDuringCompareEndWithTheSignalsStatus) {
  const TempDir dir;
  WriteBytes(dir.file("long.kvcase"), "length-ratio = 1000\n");
  for (const auto& [signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
    CliExtras extras;
    extras.signal = signal;
    extras.signalAfterSeconds = 1.0;
    const CliResult run =
        Window({"--screenshot", "s.png", "--with-plots", "--compare", "40,50", "long.kvcase"}, dir.path(), extras,
               {"KELVADO_TEST_STEP_PAUSE_MS=2"});  // each run lasts until the signal
    EXPECT_EQ(run.exitCode, status) << run.err;
    EXPECT_NE(run.err.find("kelvado: cancelled by a signal; nothing was written"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("s.png")));
  }
}
#endif

}  // namespace
}  // namespace kelvado::testing
