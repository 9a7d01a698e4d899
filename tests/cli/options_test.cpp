#include "options.h"

#include <gtest/gtest.h>

#include "usage_error.h"

namespace kelvado::cli {
namespace {

int Field(std::string_view name) { return *FindField(name); }

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
  EXPECT_EQ(f[Field("output-rate")], "-5");
  EXPECT_EQ(f[Field("density")], "-0.5");
  EXPECT_EQ(f[Field("std-temp")], "--inlet-temp");  // a text, not the next option
  EXPECT_FALSE(f[Field("inlet-temp")]);
  EXPECT_EQ(f[Field("barrel-temp")], "");
  EXPECT_EQ(f[Field("temp-coeff")], "1=2");
  EXPECT_FALSE(f[Field("barrel-diameter")]);
}

TEST(Options, LaterOptionReplacesEarlier) {
  const RunOptions run =
      ParseCommandLine({"-o", "a.txt", "--output=b.txt", "--density", "1", "--density=2"}).run;
  EXPECT_EQ(run.resultFileName, "b.txt");
  EXPECT_EQ(run.fields[Field("density")], "2");
  EXPECT_EQ(ParseCommandLine({"--output", "-o"}).run.resultFileName, "-o");
}

TEST(Options, SeparatorEncodingAndInputsFile) {
  const RunOptions run = ParseCommandLine(
      {"--decimal-separator", ",", "--encoding=utf-8", "--inputs", "case.txt"}).run;
  EXPECT_EQ(run.decimalSeparator, ',');
  EXPECT_EQ(run.encoding, TextEncoding::Utf8);
  EXPECT_EQ(run.inputsFile, "case.txt");
  EXPECT_EQ(ParseCommandLine({"--decimal-separator=;"}).run.decimalSeparator, ';');
}

TEST(Options, HelpAndVersion) {
  EXPECT_EQ(ParseCommandLine({"--help"}).action, Action::Help);
  EXPECT_EQ(ParseCommandLine({"-h"}).action, Action::Help);
  EXPECT_EQ(ParseCommandLine({"--density", "1", "--version"}).action, Action::Version);
}

TEST(Options, UsageErrors) {
  const std::vector<std::vector<std::string>> cases = {
      {"--no-such-field", "1"}, {"result.txt"}, {"-"}, {"--"}, {"-x"},
      {"--density"}, {"-o"}, {"--help=1"}, {"--version=2"},
      {"--decimal-separator", ""}, {"--decimal-separator", ",,"}, {"--decimal-separator", "5"},
      {"--decimal-separator", "-"}, {"--decimal-separator", "e"}, {"--decimal-separator", " "},
      {"--encoding", "latin1"}, {"--encoding"},
  };
  for (const auto& args : cases) {
    EXPECT_THROW(ParseCommandLine(args), UsageError) << args[0] << ' ' << (args.size() > 1 ? args[1] : "");
  }
}

}  // namespace
}  // namespace kelvado::cli
