// SPDX-License-Identifier: Apache-2.0
// The two die commands take their own options and hand every other one to the run's parser.
#include "cli/die_options.h"

#include <gtest/gtest.h>

#include "case/inputs_file.h"
#include "cli/operating_point_command.h"
#include "cli/usage_error.h"

namespace kelvado::cli {
namespace {

TEST(DieOptions, OwnOptionsAreTakenTheRestMeansWhatItMeansForARun) {
  const DieCommandLine line = ParseDieCommandLine(
      DieCommand::OperatingPoint, {"--die", "circular:diameter=0.3,length=3", "--barrel-temp", "-5", "--rpm=80",
                                   "--die=slit:width=20,gap=0.1,length=2", "--output-rate", "40:60", "--inputs", "f"});
  EXPECT_EQ(line.dieTexts, (std::vector<std::string>{"circular:diameter=0.3,length=3", "slit:width=20,gap=0.1,length=2"}));
  EXPECT_EQ(line.rpm, "80");
  EXPECT_EQ(line.outputRange, "40:60");
  EXPECT_EQ(line.run.fields[Field::BarrelTemp], "-5");
  EXPECT_EQ(line.run.inputsFile, "f");
  EXPECT_EQ(ParseDieCommandLine(DieCommand::DieCurve, {"--melt-temp", "-1", "--help"}).shown, Action::Help);

  const std::vector<std::pair<DieCommand, std::vector<std::string>>> wrong = {
      {DieCommand::OperatingPoint, {"--die", "circular:diameter=1,length=1"}},               // no --rpm
      {DieCommand::OperatingPoint, {"--rpm", "80", "--flow-rate-ratio", "0.4"}},             // set from --rpm
      {DieCommand::OperatingPoint, {"--rpm", "80", "--output", "r.txt"}},                    // a run's option
      {DieCommand::OperatingPoint, {"--rpm", "80", "sweep"}},                                // a stray word
      {DieCommand::DieCurve, {"--rpm", "80", "--melt-temp", "300", "--output-rate", "1:2:2"}},
      {DieCommand::DieCurve, {"--melt-temp", "300"}},                                        // no range
      {DieCommand::DieCurve, {"--melt-temp"}},
  };
  for (const auto& [command, args] : wrong) EXPECT_THROW(ParseDieCommandLine(command, args), UsageError) << args.back();
}

TEST(DieOptions, InputsFileMayHoldTheDieAndKeepsItsLineNumbers) {
  const InputsFile file = ParseInputsText(
      "barrel-temp = 280\r\n  die = circular:diameter=0.3,length=3  # strand\r\ndie=slit:width=20,gap=0.1,length=2\n",
      "case.txt");
  EXPECT_EQ(file[Field::BarrelTemp], "280");
  EXPECT_EQ(file.dieSections, (std::vector<std::string>{"circular:diameter=0.3,length=3", "slit:width=20,gap=0.1,length=2"}));
  try {
    ParseInputsText("die = circular:diameter=1,length=1\ndies = 3\n", "case.txt");
    ADD_FAILURE();
  } catch (const UsageError& error) {
    EXPECT_EQ(std::string(error.what()), "case.txt:2: unknown input field 'dies'");
  }
}

}  // namespace
}  // namespace kelvado::cli
