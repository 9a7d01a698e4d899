// SPDX-License-Identifier: Apache-2.0
#include "cli/options.h"

#include <gtest/gtest.h>

#include "cli/die_options.h"
#include "cli/usage_error.h"

namespace kelvado::cli {
namespace {


TEST(Options, NothingGivenMeansADefaultRun) {
  const CommandLine command = ParseCommandLine({});
  EXPECT_EQ(command.action, Action::Run);
  EXPECT_EQ(command.run.resultFileName, "result.txt");
  EXPECT_FALSE(command.run.inputsFile);
  EXPECT_FALSE(command.run.decimalSeparator);
  EXPECT_EQ(command.run.encoding, TextEncoding::ShiftJis);
  for (const auto& field : command.run.fields) EXPECT_FALSE(field);
}

TEST(Options, FieldTextsInBothFormsMayBeginWithAMinus) {
  const CommandLine command = ParseCommandLine({"--output-rate=-5", "--density", "-0.5", "--std-temp",
                                                "--inlet-temp", "--barrel-temp=", "--temp-coeff=1=2"});
  const FieldOverrides& f = command.run.fields;
  EXPECT_EQ(f[Field::OutputRate], "-5");
  EXPECT_EQ(f[Field::Density], "-0.5");
  EXPECT_EQ(f[Field::StdTemp], "--inlet-temp");  // a text, not the next option
  EXPECT_FALSE(f[Field::InletTemp]);
  EXPECT_EQ(f[Field::BarrelTemp], "");
  EXPECT_EQ(f[Field::TempCoeff], "1=2");
  EXPECT_FALSE(f[Field::BarrelDiameter]);
}

TEST(Options, LaterOptionReplacesEarlier) {
  const RunOptions run =
      ParseCommandLine({"-o", "a.txt", "--output=b.txt", "--density", "1", "--density=2"}).run;
  EXPECT_EQ(run.resultFileName, "b.txt");
  EXPECT_EQ(run.fields[Field::Density], "2");
  EXPECT_EQ(ParseCommandLine({"--output", "-o"}).run.resultFileName, "-o");
}

TEST(Options, SeparatorEncodingAndInputsFile) {
  const RunOptions run = ParseCommandLine(
      {"--decimal-separator", ",", "--encoding=utf-8", "--inputs", "case.txt"}).run;
  EXPECT_EQ(run.decimalSeparator, ',');
  EXPECT_EQ(run.encoding, TextEncoding::Utf8);
  EXPECT_EQ(run.inputsFile, "case.txt");
  EXPECT_EQ(ParseCommandLine({"--decimal-separator=."}).run.decimalSeparator, '.');
}

TEST(Options, HelpAndVersion) {
  EXPECT_EQ(ParseCommandLine({"--help"}).action, Action::Help);
  EXPECT_EQ(ParseCommandLine({"-h"}).action, Action::Help);
  EXPECT_EQ(ParseCommandLine({"--density", "1", "--version"}).action, Action::Version);
}

TEST(Options, UsageErrors) {
  const std::vector<std::vector<std::string>> cases = {
      {"--no-such-field", "1"}, {"result.txt"}, {"-"}, {"--", "x"}, {"-x"},
      {"--density"}, {"-o"}, {"--help=1"}, {"--version=2"},
      {"--decimal-separator", ""}, {"--decimal-separator", ",,"}, {"--decimal-separator", "5"},
      {"--decimal-separator", "-"}, {"--decimal-separator", "e"}, {"--decimal-separator", " "},
      {"--decimal-separator", ";"}, {"--decimal-separator", "\n"}, {"--decimal-separator", "#"},
      {"--decimal-separator", ":"},
      {"--encoding", "latin1"}, {"--encoding"},
  };
  for (const auto& args : cases) {
    EXPECT_THROW(ParseCommandLine(args), UsageError) << args[0] << ' ' << (args.size() > 1 ? args[1] : "");
  }
}

TEST(Options, ExportsOfASingleRun) {
  const RunOptions run = ParseCommandLine({"--csv", "out", "--json=run.json"}).run;
  EXPECT_EQ(run.csvFolder, "out");
  EXPECT_EQ(run.jsonFile, "run.json");
}

TEST(Options, SweepTakesRangesThreadsAndATable) {
  const CommandLine command = ParseCommandLine({"sweep", "--vary", "output-rate=40:80:5", "--threads=2",
                                                "--vary=barrel-temp=280:300:3", "--csv", "s.csv", "--density", "1"});
  EXPECT_EQ(command.action, Action::Sweep);
  const BatchOptions& batch = command.batch;
  ASSERT_EQ(batch.varied.size(), 2u);
  EXPECT_EQ(batch.varied[0].field, Field::OutputRate);
  EXPECT_EQ(batch.varied[0].range.from, "40");
  EXPECT_EQ(batch.varied[0].range.to, "80");
  EXPECT_EQ(batch.varied[0].range.count, 5u);
  EXPECT_EQ(batch.varied[1].field, Field::BarrelTemp);
  EXPECT_EQ(batch.threads, 2u);
  EXPECT_EQ(batch.csvFile, "s.csv");
  EXPECT_FALSE(command.run.csvFolder);
  EXPECT_EQ(command.run.fields[Field::Density], "1");
  // A zone's value beside the fields, and a speed to drive the cases at.
  const BatchOptions zoned =
      ParseCommandLine({"sweep", "--vary", "zone12.depth-to=0.2:0.3:2", "--rpm", "80", "--zone", "turns=1,depth=1"}).batch;
  ASSERT_EQ(zoned.varied.size(), 1u);
  EXPECT_EQ(zoned.varied[0].zoneValue, (ZoneValue{11, ZoneKey::DepthTo}));
  EXPECT_EQ(zoned.rpm, "80");
}

TEST(Options, ShardIsOnePartOfNForSweepAndCharacteristic) {
  const CommandLine sweep = ParseCommandLine({"sweep", "--vary", "density=1:2:4", "--shard", "2/3"});
  ASSERT_TRUE(sweep.batch.shard);
  EXPECT_EQ(sweep.batch.shard->index, 2u);
  EXPECT_EQ(sweep.batch.shard->count, 3u);
  EXPECT_EQ(ParseCommandLine({"characteristic", "--rpm", "70", "--output-rate", "30:90:7", "--shard=0/1"})
                .batch.shard->count, 1u);
  EXPECT_FALSE(ParseCommandLine({"sweep", "--vary", "density=1:2:4"}).batch.shard);
  for (const char* text : {"3/3", "1/0", "0/0", "-1/2", "1", "1/", "/2", "1/2/3", "a/2", "1/2 ", " 1/2", "0x1/2",
                           "1/1000001", "99999999999999999999/2"}) {
    EXPECT_THROW(ParseCommandLine({"sweep", "--vary", "density=1:2:4", "--shard", text}), UsageError) << text;
  }
  EXPECT_THROW(ParseCommandLine({"--shard", "0/2"}), UsageError);  // not an option of a single run
}

TEST(Options, CharacteristicTakesTheOutputAsARange) {
  const CommandLine command = ParseCommandLine({"characteristic", "--rpm", "70", "--output-rate", "30:90:7"});
  EXPECT_EQ(command.action, Action::Characteristic);
  EXPECT_EQ(command.batch.rpm, "70");
  ASSERT_TRUE(command.batch.outputs);
  EXPECT_EQ(command.batch.outputs->count, 7u);
  EXPECT_FALSE(command.run.fields[Field::OutputRate]);
  EXPECT_EQ(ParseCommandLine({"characteristic", "--help"}).action, Action::Help);
  EXPECT_EQ(ParseCommandLine({"sweep", "-h"}).action, Action::Help);
}

TEST(Options, EachCommandRefusesTheOthersOptions) {
  const std::vector<std::vector<std::string>> cases = {
      {"--vary", "density=1:2:2"}, {"--threads", "2"}, {"sweep"},
      {"sweep", "--vary", "density=1:2:2", "--json", "a.json"},
      {"sweep", "--vary", "density=1:2:2", "-o", "r.txt"},
      {"sweep", "--vary", "density"}, {"sweep", "--vary", "viscosity=1:2:2"}, {"sweep", "--vary", "density=1:2"},
      {"sweep", "--vary", "density=1:2:2", "--vary", "density=3:4:2"},
      {"sweep", "--vary", "density=1:2:2", "--threads", "-1"},
      {"sweep", "--vary", "density=1:2:2", "--threads", "1025"},
      {"sweep", "--vary", "density=1:2:2", "--threads", "two"},
      {"characteristic", "--rpm", "70"}, {"characteristic", "--output-rate", "30:90:7"},
      {"characteristic", "--rpm", "70", "--output-rate", "60"},
      {"characteristic", "--rpm", "70", "--output-rate", "30:90:7", "--flow-rate-ratio", "0.4"},
      {"characteristic", "--rpm", "70", "--output-rate", "30:90:7", "--vary", "density=1:2:2"},
      {"--output-rate", "30:90:7", "sweep"},
  };
  for (const auto& args : cases) {
    std::string line;
    for (const std::string& arg : args) line.append(arg).append(" ");
    EXPECT_THROW(ParseCommandLine(args), UsageError) << line;
  }
}

TEST(Options, UnitsOfEveryCommandButTheDieOnes) {
  EXPECT_EQ(ParseCommandLine({}).run.pressureUnit.name, "kgf/cm2");
  EXPECT_EQ(ParseCommandLine({"--units", "mpa"}).run.pressureUnit.name, "MPa");
  EXPECT_EQ(ParseCommandLine({"sweep", "--vary", "density=1:2:2", "--units=PSI"}).run.pressureUnit.name, "psi");
  EXPECT_THROW(ParseCommandLine({"--units", "atm"}), UsageError);
  EXPECT_THROW(ParseDieCommandLine(DieCommand::DieCurve, {"--units", "bar"}), UsageError);
  EXPECT_EQ(ParseCommandLine({"--material", "LDPE"}).run.material, "LDPE");
}

}  // namespace
}  // namespace kelvado::cli
