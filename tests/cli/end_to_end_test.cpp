// SPDX-License-Identifier: Apache-2.0
// kelvado-cli as a user runs it: a fresh folder per test, the real binary, its exit status,
// its output and the files it leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <cstdlib>
#include <sstream>
#include <sys/stat.h>

#include "tests/cli/cli_process.h"
#include "solver/input_fields.h"
#include "tests/support/temp_dir.h"

namespace kelvado::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kImproper = "kelvado-cli: Input data is not proper, change and try again!\n";
constexpr const char* kCanNotOpen = "kelvado-cli: File can not open!\n";
constexpr const char* kInnerGaveUp = "kelvado-cli: ** This case does not converge. It seems <n> value is too small.\n";
constexpr const char* kClosureGaveUp = "kelvado-cli: This case does not converge. It seems <n> value is too small.\n";

std::string Reference() { return ReadBytes(KELVADO_TEST_DATA "/default_result.txt"); }

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// A point between two digits is a decimal separator; the points of the labels are not.
std::string WithDecimalComma(std::string text) {
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    if (text[i] == '.' && digit(text[i - 1]) && digit(text[i + 1])) text[i] = ',';
  }
  return text;
}

// Every input field with its default text, the point replaced by `separator`.
std::vector<std::string> DefaultsWritten(char separator) {
  std::vector<std::string> args;
  for (const InputField& field : kInputFields) {
    std::string text(field.defaultText);
    std::replace(text.begin(), text.end(), '.', separator);
    args.push_back(std::string("--").append(field.optionName));
    args.push_back(text);
  }
  return args;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool IsNumber(const std::string& token) {
  char* end = nullptr;
  std::strtod(token.c_str(), &end);
  return !token.empty() && end == token.c_str() + token.size();
}

// The numbers of a text in order of appearance, as they are written.
std::vector<std::string> NumberTokens(const std::string& text) {
  std::vector<std::string> numbers;
  std::istringstream in(text);
  for (std::string token; in >> token;) {
    if (IsNumber(token)) numbers.push_back(token);
  }
  return numbers;
}

bool IsCharDevice(const char* path) {
  struct stat st {};
  return stat(path, &st) == 0 && S_ISCHR(st.st_mode);
}

class Cli : public ::testing::Test {
 protected:
  CliResult Run(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
    return RunCli(args, dir_.path(), env);
  }
  std::string Read(const std::string& name) const { return ReadBytes(dir_.file(name)); }
  void Write(const std::string& name, const std::string& bytes) const { WriteBytes(dir_.file(name), bytes); }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.path())) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir dir_;
};

TEST_F(Cli, DefaultRunWritesTheReferenceFileAndPrintsItsSummary) {
  const CliResult run = Run({});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  // The default melt thins with shear: the one line on standard error says how far the
  // classic pressure gradient stands from the consistent model's.
  EXPECT_EQ(run.err.rfind("kelvado-cli: Warning: The classic pressure gradient at the inlet is ", 0), 0u) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
  const std::string file = Read("result.txt");
  EXPECT_EQ(file, Reference());

  // The screw speed of the header, then the eight values of the outlet summary.
  std::vector<std::string> expected;
  bool outlet = false;
  for (std::string line : Lines(file)) {
    line.pop_back();  // CR
    outlet = outlet || line == "[ OUTLET CONDITION ]";
    const std::size_t equals = line.find("=  ");
    if (equals != std::string::npos && (outlet || line.find("R.P.M.") != std::string::npos)) {
      expected.push_back(line.substr(equals + 3));
    }
  }
  ASSERT_EQ(expected.size(), 9u);
  EXPECT_EQ(NumberTokens(run.out), expected) << run.out;
  EXPECT_NE(run.out.find("rpm"), std::string::npos);
  EXPECT_NE(run.out.find("kgf/cm2"), std::string::npos);
}

TEST_F(Cli, SecondRunReplacesTheFirstRunsFile) {
  ASSERT_EQ(Run({"--output-rate", "45"}).exitCode, 0);
  ASSERT_NE(Read("result.txt"), Reference());
  ASSERT_EQ(Run({}).exitCode, 0);
  EXPECT_EQ(Read("result.txt"), Reference());
}

// ---- Every way a run can fail, and what it leaves on disk.

TEST_F(Cli, ImproperInputLeavesAnExistingFileUntouched) {
  const std::string earlier = "an earlier run's results\r\n";
  Write("result.txt", earlier);
  for (const char* text : {"abc", ""}) {
    const CliResult run = Run({"--channel-depth", text});
    EXPECT_EQ(run.exitCode, 3) << text;
    EXPECT_EQ(run.err, kImproper + std::string("kelvado-cli: Channel Depth (cm) is not a number: '") + text + "'.\n")
        << text;
    EXPECT_EQ(run.out, "") << text;
  }
  EXPECT_EQ(Read("result.txt"), earlier);
}

TEST_F(Cli, ResultsFileInAMissingFolderCanNotBeOpened) {
  const CliResult run = Run({"-o", "no-such-folder/result.txt"});
  EXPECT_EQ(run.exitCode, 6);
  EXPECT_EQ(run.err, kCanNotOpen);
  EXPECT_TRUE(Entries().empty());
}

TEST_F(Cli, WriteErrorOnAFullDeviceIsReportedAndDeletesNothing) {
  if (!IsCharDevice("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const CliResult run = Run({"--output", "/dev/full"});
  EXPECT_EQ(run.exitCode, 8);
  EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(IsCharDevice("/dev/full"));
}

TEST_F(Cli, AFailedRunLeavesTheEarlierResultsFileAsItWas) {
  ASSERT_EQ(Run({"-o", "keep.txt"}).exitCode, 0);
  const std::string earlier = Read("keep.txt");
  // The viscosity iteration gives up; an output of 1e300 overflows after the header.
  EXPECT_EQ(Run({"--flow-rate-ratio", "0.2", "-o", "keep.txt"}).exitCode, 4);
  const CliResult fault = Run({"--output-rate=1e300", "-o", "keep.txt"});
  EXPECT_EQ(fault.exitCode, 7);
  EXPECT_NE(fault.err.find("overflow in the "), std::string::npos) << fault.err;
  EXPECT_EQ(Read("keep.txt"), earlier);
  EXPECT_EQ(Entries(), std::vector<std::string>{"keep.txt"});
}

// Values no extruder can have are improper input naming the field, in both models, and
// nothing is written.
TEST_F(Cli, ImpossibleInputsAreRefusedNamingTheField) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--density", "0"}, "Density (g/cm3) must be above zero"},
      {{"--flow-rate-ratio", "-0.1"}, "Dimensionless Flow Rate (-) must be above zero"},
      {{"--length-ratio", "-8"}, "L/D (-) must be above zero"},
      {{"--channel-depth", "5"}, "Channel Depth (cm) must be less than the barrel radius, 3.25"},
      {{"--flight-width", "7"}, "Flight Width (cm) must be less than the pitch across the channel"},
      {{"--barrel-temp", "-300"}, "Barrel Temperature (\u2103) must be above absolute zero"},
      {{"--length-ratio", "1e9"}, "L/D (-) must be above zero and at most 1000 turns"},
      {{"--length-ratio", "1000.5"}, "L/D (-) must be above zero and at most 1000 turns"},
      {{"--power-index", "100"}, "Parameter n (-) must be above zero and at most 1"},
      {{"--power-index", "1.01"}, "Parameter n (-) must be above zero and at most 1"},
      {{"--zone", "turns=950,depth=0.3", "--zone", "turns=51,depth=0.3", "--rpm", "60"},
       "The zones add up to 1001 turns, more than a screw of 1000 turns"},
      {{"--zone", "turns=4,depth=0.6", "--zone", "pitch=0.5", "--rpm", "60"}, "The zone 2 (\"pitch=0.5\") gives no turns"},
      {{"--zone", "turns=1001,depth=0.3", "--rpm", "60"}, "The zone 1 (\"turns=1001,depth=0.3\") needs turns above zero and at most 1000"}};
  for (const auto& [args, message] : cases) {
    for (const char* model : {"classic", "consistent"}) {
      std::vector<std::string> all = args;
      all.insert(all.end(), {"--flow-model", model});
      const CliResult run = Run(all);
      EXPECT_EQ(run.exitCode, 3) << args[0] << ' ' << model;
      EXPECT_EQ(run.err.rfind("kelvado-cli: " + message, 0), 0u) << run.err;
    }
  }
  EXPECT_TRUE(Entries().empty());
  // At the bounds the case runs.
  EXPECT_EQ(Run({"--length-ratio", "1000", "--power-index", "1"}).exitCode, 0);
}

TEST_F(Cli, ATextThatIsNoNumberIsNamedWithItsField) {
  for (const std::string text : {"nan", "abc", "", "6,5"}) {
    const CliResult run = Run({"--length-ratio=" + text});
    EXPECT_EQ(run.exitCode, 3) << text;
    EXPECT_NE(run.err.find("L/D (-) is not a number: '" + text + "'"), std::string::npos) << run.err;
  }
  // A stray megabyte or a NUL byte neither swamps nor cuts the message.
  const CliResult huge = Run({"--density=" + std::string(100000, '7') + "x"});
  EXPECT_LT(huge.err.size(), 300u);
  EXPECT_NE(huge.err.find("Density (g/cm3) is not a number: '7777"), std::string::npos) << huge.err;
}

// This case once sent the root shear-rate search walking for ever.
TEST_F(Cli, ViscosityIterationThatGivesUpEndsInTimeAndDeletesItsFile) {
  const CliResult run = Run({"--flow-rate-ratio", "0.25"});
  EXPECT_EQ(run.exitCode, 4);
  // The fixed message first, then what the run saw and what to do.
  EXPECT_EQ(run.err.substr(0, std::string(kInnerGaveUp).size()), kInnerGaveUp);
  EXPECT_NE(run.err.find("The viscosity iteration gave up at turn"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("consistent flow model"), std::string::npos) << run.err;
  EXPECT_LT(run.seconds, 30);
  EXPECT_TRUE(Entries().empty());
}

TEST_F(Cli, ClosureThatGivesUpDeletesItsFile) {
  const CliResult run = Run({"--temp-coeff=-0.05"});
  EXPECT_EQ(run.exitCode, 5);
  EXPECT_EQ(run.err.substr(0, std::string(kClosureGaveUp).size()), kClosureGaveUp);
  EXPECT_NE(run.err.find("The flow-rate closure gave up at turn"), std::string::npos) << run.err;
  EXPECT_TRUE(Entries().empty());
}

TEST_F(Cli, FailedRunNeverDeletesADeviceItWroteTo) {
  if (!IsCharDevice("/dev/null")) GTEST_SKIP() << "no /dev/null";
  const CliResult run = Run({"-o", "/dev/null", "--flow-rate-ratio", "0.25"});
  EXPECT_EQ(run.exitCode, 4);
  EXPECT_TRUE(IsCharDevice("/dev/null"));
}

// ---- Inputs that must finish, and the ways of giving them.

TEST_F(Cli, CommaSeparatorReadsCommasAndWritesThem) {
  std::vector<std::string> args = DefaultsWritten(',');
  args.insert(args.begin(), {"--decimal-separator", ","});
  const CliResult run = Run(args);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Read("result.txt"), WithDecimalComma(Reference()));
  EXPECT_NE(run.out.find("223,68"), std::string::npos) << run.out;

  // With the comma as separator the window's point texts are improper.
  EXPECT_EQ(Run({"--decimal-separator=,", "--density", "0.96"}).exitCode, 3);
}

TEST_F(Cli, SeparatorComesFromTheLocaleUnlessLcAllSaysOtherwise) {
  const fs::path locales = dir_.path() / "locales";
  fs::create_directory(locales);
  const std::string compile =
      std::string("localedef -i de_DE -f UTF-8 '") + (locales / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
  if (std::system(compile.c_str()) != 0) GTEST_SKIP() << "localedef cannot build de_DE.UTF-8";
  // glibc's newlocale keeps its copy of LOCPATH for good; a leak checker would fail the run.
  WriteBytes((locales / "leaks.supp").string(), "leak:__argz_add_sep\n");
  const std::string locpath = std::string("LOCPATH=") + locales.string();
  const std::string lsan = std::string("LSAN_OPTIONS=suppressions=") + (locales / "leaks.supp").string();

  const CliResult german = Run(DefaultsWritten(','), {locpath, lsan, "LANG=de_DE.UTF-8"});
  ASSERT_EQ(german.exitCode, 0) << german.err;
  EXPECT_EQ(Read("result.txt"), WithDecimalComma(Reference()));

  EXPECT_EQ(Run(DefaultsWritten(','), {locpath, lsan, "LANG=de_DE.UTF-8", "LC_ALL=C"}).exitCode, 3);
  EXPECT_EQ(Run({}, {locpath, lsan, "LANG=de_DE.UTF-8", "LC_NUMERIC=C"}).exitCode, 0);

  // Fields left out keep their defaults, written with the locale's separator.
  const CliResult defaults = Run({}, {locpath, lsan, "LANG=de_DE.UTF-8"});
  ASSERT_EQ(defaults.exitCode, 0) << defaults.err;
  EXPECT_EQ(Read("result.txt"), WithDecimalComma(Reference()));
}

TEST_F(Cli, PowerIndexBelowTheStartGuardAndAtIt) {
  const CliResult low = Run({"--power-index", "0.4"});
  ASSERT_EQ(low.exitCode, 0) << low.err;
  EXPECT_NE(Read("result.txt").find("    Parameter n (-)                         =  0.400\r\n"), std::string::npos);
  const CliResult atGuard = Run({"--power-index", "0.55"});
  ASSERT_EQ(atGuard.exitCode, 0) << atGuard.err;
  EXPECT_NE(Read("result.txt").find("=  0.550\r\n"), std::string::npos);
}

TEST_F(Cli, LengthRatioThatIsNotAWholeNumberOfStepsFinishes) {
  const CliResult run = Run({"--length-ratio", "8.03"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(Read("result.txt").find("    L/D (-)                                 =  8.0\r\n"), std::string::npos);
  EXPECT_NE(Read("result.txt").find("[ OUTLET CONDITION ]"), std::string::npos);
}

TEST_F(Cli, InputsFileGivesFieldsAndTheCommandLineWins) {
  Write("case.txt", "# an impossible output, put right on the command line\r\n"
                    "output-rate = 0\r\n"
                    "barrel-diameter\t=  6.5   # cm\r\n");
  const CliResult run = Run({"--inputs", "case.txt", "--output-rate=60.0"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Read("result.txt"), Reference());

  EXPECT_EQ(Run({"--inputs=case.txt", "-o", "other.txt"}).exitCode, 3);
}

TEST_F(Cli, ScrewOfZonesFromTheInputsFileOrTheOptions) {
  const std::string zones = "zone = turns=4,depth=0.6\nzone = turns=4,depth=0.6:0.25\nzone = turns=12,depth=0.25\n";
  Write("screw.kvcase", "flow-model = consistent\noutput-rate = 55.91\nrpm = 80\n" + zones);
  const CliResult fromFile = Run({"--inputs", "screw.kvcase", "-o", "file.txt", "--csv", "."});
  ASSERT_EQ(fromFile.exitCode, 0) << fromFile.err;
  // Each step carries its zone and the depth of its section.
  const std::string steps = Read("steps.csv");
  EXPECT_EQ(steps.find(",Zone (-),Depth (cm),FlowModel\r\n"), steps.find("\r\n") - 30) << steps.substr(0, 300);
  const CliResult fromOptions =
      Run({"--flow-model", "consistent", "--output-rate", "55.91", "--rpm", "80", "--zone", "turns=4,depth=0.6",
           "--zone", "turns=4,depth=0.6:0.25", "--zone", "turns=12,depth=0.25", "-o", "options.txt"});
  ASSERT_EQ(fromOptions.exitCode, 0) << fromOptions.err;
  EXPECT_EQ(Read("file.txt"), Read("options.txt"));
  EXPECT_NE(Read("file.txt").find("Zone 3 (turns"), std::string::npos);
  EXPECT_NE(Read("file.txt").find("[ Zone 3 from turn"), std::string::npos);

  // No speed, a speed of zero, the classic model, a zone that can not be: refused, nothing run.
  Write("nospeed.kvcase", "flow-model = consistent\n" + zones);
  EXPECT_EQ(Run({"--inputs", "nospeed.kvcase", "-o", "none.txt"}).exitCode, 2);
  EXPECT_EQ(Run({"--inputs", "screw.kvcase", "--rpm", "0", "-o", "none.txt"}).exitCode, 2);
  EXPECT_EQ(Run({"--inputs", "screw.kvcase", "--flow-model", "classic", "-o", "none.txt"}).exitCode, 3);
  const CliResult badZone = Run({"operating-point", "--rpm", "80", "--die", "slit:width=20,gap=0.08,length=4",
                                 "--flow-model", "consistent", "--zone", "turns=0,depth=0.3"});
  EXPECT_EQ(badZone.exitCode, 3);
  EXPECT_NE(badZone.err.find("\"turns=0,depth=0.3\""), std::string::npos) << badZone.err;
  // A key given twice is refused rather than the last one winning unseen.
  const CliResult twice = Run({"--inputs", "screw.kvcase", "--zone", "turns=4,turns=8,depth=0.25", "-o", "none.txt"});
  EXPECT_EQ(twice.exitCode, 3);
  EXPECT_NE(twice.err.find("The zone 1 (\"turns=4,turns=8,depth=0.25\") gives the key \"turns\" twice"), std::string::npos)
      << twice.err;
  EXPECT_FALSE(fs::exists(dir_.file("none.txt")));
}

TEST_F(Cli, Utf8EncodingWritesTheTwoWideCharactersInUtf8) {
  ASSERT_EQ(Run({"--encoding", "utf-8"}).exitCode, 0);
  const std::string expected =
      Replace(Replace(Reference(), "\x81\x8E", "\xE2\x84\x83"), "\x81\x40", "\xE3\x80\x80");
  EXPECT_EQ(Read("result.txt"), expected);
}

TEST_F(Cli, LongNameIsCutWithoutSplittingACharacter) {
  // 1 + 90 * 3 bytes; the 255-byte cut falls inside the 85th degree sign.
  std::string name = "a";
  for (int i = 0; i < 90; ++i) name += "\xE2\x84\x83";
  const CliResult run = Run({"-o", name});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Entries(), std::vector<std::string>{name.substr(0, 1 + 84 * 3)});
}

// ---- The command line itself.

TEST_F(Cli, UsageErrorsStopBeforeAnyRun) {
  Write("bad.txt", "density = 0.96\nviscosity = 3\n");
  const std::vector<std::vector<std::string>> cases = {
      {"--no-such-option"}, {"--decimal-separator", "ab"}, {"--inputs", "missing.txt"}, {"--inputs", "bad.txt"},
  };
  for (const auto& args : cases) {
    const CliResult run = Run(args);
    EXPECT_EQ(run.exitCode, 2) << args[0];
    EXPECT_NE(run.err.find("--help"), std::string::npos) << args[0];
    EXPECT_EQ(run.out, "") << args[0];
  }
  EXPECT_NE(Run({"--inputs", "bad.txt"}).err.find("bad.txt:2: unknown input field 'viscosity'"), std::string::npos);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"bad.txt"}));
}

// '-' is standard output for the files and standard input for the inputs file; what would
// have gone to standard output then goes to standard error, so that the streams never mix.
TEST_F(Cli, StandardStreamsCarryFilesForScripts) {
  const CliResult results = Run({"-o", "-"});
  ASSERT_EQ(results.exitCode, 0) << results.err;
  EXPECT_EQ(results.out, Reference());
  EXPECT_NE(results.err.find("Outlet pressure              223.68 kgf/cm2"), std::string::npos) << results.err;

  Write("case.kvcase", "output-rate = 0\n");  // improper, as the file is read
  CliExtras fromStdin;
  fromStdin.stdinFile = dir_.file("case.kvcase");
  EXPECT_EQ(RunCli({"--inputs", "-", "-or.txt", "--"}, dir_.path(), {}, 60, fromStdin).exitCode, 3);
  EXPECT_EQ(RunCli({"--inputs", "-", "-or.txt", "--output-rate=60.0"}, dir_.path(), {}, 60, fromStdin).exitCode, 0);
  EXPECT_EQ(Read("r.txt"), Reference());

  const CliResult sweep = Run({"sweep", "--vary", "output-rate=40:80:5", "--csv", "-"});
  ASSERT_EQ(sweep.exitCode, 0) << sweep.err;
  EXPECT_TRUE(sweep.out.starts_with("output-rate (kg/hr),Screw speed (rpm),")) << sweep.out;
  EXPECT_EQ(std::count(sweep.out.begin(), sweep.out.end(), '\n'), 6);
  EXPECT_NE(sweep.err.find("finished"), std::string::npos) << sweep.err;
}

TEST_F(Cli, HelpAndVersion) {
  const CliResult help = Run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  for (const InputField& field : kInputFields) {
    EXPECT_NE(help.out.find(std::string("--").append(field.optionName) + " "), std::string::npos) << field.optionName;
  }
  const CliResult version = Run({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "kelvado-cli " KELVADO_VERSION "\n");
  EXPECT_TRUE(Entries().empty());
}

}  // namespace
}  // namespace kelvado::testing
