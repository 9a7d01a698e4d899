// SPDX-License-Identifier: Apache-2.0
#include "solver/run.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "report/number_format.h"
#include "report/results_file.h"
#include "tests/solver/run_fixture.h"
#include "solver/calc_state.h"
#include "solver/viscosity.h"

namespace kelvado {
namespace {

using testing::DefaultsWith;
using testing::GoldenDefaultResult;
using testing::ReadBytes;
using testing::RunInDir;
using testing::WriteBytes;

TEST(RunCalculation, DefaultCaseWritesTheReferenceFileByteForByte) {
  RunInDir run;
  const RunOutcome outcome = run.Run(DefaultInputTexts());
  ASSERT_EQ(outcome.status, RunStatus::Finished) << outcome.detail;
  EXPECT_EQ(ReadBytes(run.Path()), GoldenDefaultResult());
  EXPECT_EQ(run.services.finishDialogs, 1);
  EXPECT_EQ(run.services.refreshes, 1);
  EXPECT_EQ(run.services.steps, 161);
  EXPECT_TRUE(run.services.messages.empty());
  EXPECT_NEAR(outcome.summary.OutletPressure, 223.68, 0.005);
}

TEST(RunCalculation, ASecondRunReplacesTheFirstFile) {
  RunInDir run;
  WriteBytes(run.Path(), std::string(20000, 'x'));
  ASSERT_EQ(run.Run(DefaultInputTexts()).status, RunStatus::Finished);
  ASSERT_EQ(run.Run(DefaultInputTexts()).status, RunStatus::Finished);
  EXPECT_EQ(ReadBytes(run.Path()), GoldenDefaultResult());
  EXPECT_EQ(run.services.finishDialogs, 2);
}

TEST(RunCalculation, CommaSeparatorReadsAndWritesCommas) {
  RunInDir run;
  InputTexts texts = DefaultInputTexts();
  for (auto& text : texts) {
    for (auto& c : text) c = c == '.' ? ',' : c;
  }
  ASSERT_EQ(run.Run(texts, "result.txt", ',').status, RunStatus::Finished);
  std::string expected = GoldenDefaultResult();
  // Every decimal point of the reference file is a number's: the labels have none but
  // "R.P.M.", "cal/g.", "cal/cm.s.", "gf.s", "gf.cm" and the notes, which stay as they are.
  const std::string actual = ReadBytes(run.Path());
  ASSERT_EQ(actual.size(), expected.size());
  int changed = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (expected[i] != actual[i]) {
      EXPECT_EQ(expected[i], '.');
      EXPECT_EQ(actual[i], ',');
      ++changed;
    }
  }
  // 21 header values, 41 progress lines of 7 decimals, 21 node lines of 5, 8 summary values.
  EXPECT_EQ(changed, 21 + 41 * 7 + 21 * 5 + 8);
}

TEST(RunCalculation, ImproperInputTouchesNothing) {
  RunInDir run;
  WriteBytes(run.Path(), "an earlier run");
  const RunOutcome outcome = run.Run(DefaultsWith({{Field::FlowRateRatio, "0.45.1"}}));
  EXPECT_EQ(outcome.status, RunStatus::ImproperInput);
  EXPECT_EQ(ReadBytes(run.Path()), "an earlier run");
  ASSERT_EQ(run.services.messages.size(), 1u);
  EXPECT_EQ(run.services.messages[0], "Input data is not proper, change and try again!");
  EXPECT_EQ(run.services.refreshes, 0);
  EXPECT_EQ(run.services.finishDialogs, 0);
}

TEST(RunCalculation, AFileThatCannotBeCreatedEndsTheRunBeforeAnythingIsWritten) {
  RunInDir run;
  const RunOutcome outcome = run.Run(DefaultInputTexts(), "missing/folder/result.txt");
  EXPECT_EQ(outcome.status, RunStatus::FileNotOpened);
  ASSERT_EQ(run.services.messages.size(), 1u);
  EXPECT_EQ(run.services.messages[0], "File can not open!");
  EXPECT_EQ(run.services.refreshes, 0);
}

TEST(RunCalculation, ArithmeticFaultsEndTheRunAndLeaveTheEarlierFile) {
  {
    // A density of 1e-320 overflows the volume rate while deriving the operating
    // conditions: no file yet.
    RunInDir run;
    const RunOutcome outcome = run.Run(DefaultsWith({{Field::Density, "1e-320"}}));
    EXPECT_EQ(outcome.status, RunStatus::ArithmeticFault);
    EXPECT_EQ(outcome.detail, "overflow in the operating conditions");
    EXPECT_FALSE(std::filesystem::exists(run.Path()));
    EXPECT_TRUE(run.services.messages.empty());
    EXPECT_EQ(run.services.refreshes, 0);
  }
  {
    // An output of 1e300: the header is written, then the first step's flow overflows.
    RunInDir run;
    WriteBytes(run.Path(), "an earlier run");
    const RunOutcome outcome = run.Run(DefaultsWith({{Field::OutputRate, "1e300"}}));
    EXPECT_EQ(outcome.status, RunStatus::ArithmeticFault);
    EXPECT_EQ(outcome.detail.substr(0, 8), "overflow");
    EXPECT_EQ(run.Names(), std::vector<std::string>{"result.txt"});
    EXPECT_EQ(ReadBytes(run.Path()), "an earlier run");
    EXPECT_EQ(run.services.refreshes, 0);
    EXPECT_EQ(run.services.finishDialogs, 0);
  }
}

TEST(RunCalculation, AFailedOrCancelledRunLeavesTheEarlierFileAndNothingElse) {
  RunInDir run;
  ASSERT_EQ(run.Run(DefaultInputTexts()).status, RunStatus::Finished);
  ::chmod(run.Path().c_str(), 0640);
  // The viscosity iteration gives up at this flow-rate ratio.
  EXPECT_EQ(run.Run(DefaultsWith({{Field::FlowRateRatio, "0.25"}})).status, RunStatus::InnerFailed);
  run.services.onStep = [&](const CalcState& s) { run.services.cancel = s.StepCount == 10; };
  EXPECT_EQ(run.Run(DefaultInputTexts()).status, RunStatus::Cancelled);
  EXPECT_EQ(ReadBytes(run.Path()), GoldenDefaultResult());
  EXPECT_EQ(run.Names(), std::vector<std::string>{"result.txt"});

  // A finished run replaces it, keeping its mode, and a link stays a link to the new file.
  run.services.onStep = nullptr;
  run.services.cancel = false;
  std::filesystem::create_symlink(run.Path(), run.Path("link.txt"));
  ASSERT_EQ(run.Run(DefaultsWith({{Field::OutputRate, "50"}}), "link.txt").status, RunStatus::Finished);
  EXPECT_TRUE(std::filesystem::is_symlink(run.Path("link.txt")));
  EXPECT_NE(ReadBytes(run.Path()), GoldenDefaultResult());
  struct stat st {};
  ASSERT_EQ(::stat(run.Path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(run.Names(), (std::vector<std::string>{"link.txt", "result.txt"}));
}

TEST(RunCalculation, AWriteErrorAfterOpeningIsReportedAndDeletesNothing) {
  testing::RecordingServices services;
  const RunOutcome outcome =
      RunWithResultsFile(RunRequest{DefaultInputTexts(), "/dev/full", '.', TextEncoding::ShiftJis}, services);
  EXPECT_EQ(outcome.status, RunStatus::WriteError);
  EXPECT_FALSE(outcome.detail.empty());
  struct stat st {};
  ASSERT_EQ(::stat("/dev/full", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  EXPECT_EQ(services.refreshes, 0);
}

TEST(RunCalculation, ARunawayRootShearSearchGivesUpInsteadOfHanging) {
  RunInDir run;
  const RunOutcome outcome = run.Run(DefaultsWith({{Field::FlowRateRatio, "0.25"}}));
  EXPECT_EQ(outcome.status, RunStatus::InnerFailed);
  ASSERT_EQ(run.services.messages.size(), 1u);
  EXPECT_EQ(run.services.messages[0], "** This case does not converge. It seems <n> value is too small.");
  EXPECT_FALSE(std::filesystem::exists(run.Path()));
  EXPECT_EQ(run.services.refreshes, 1);
  EXPECT_EQ(run.services.finishDialogs, 0);
}

TEST(RunCalculation, CancelEndsLikeAFailureWithoutAMessage) {
  RunInDir run;
  run.services.onStep = [&](const CalcState& s) { run.services.cancel = s.StepCount == 10; };
  const RunOutcome outcome = run.Run(DefaultInputTexts());
  EXPECT_EQ(outcome.status, RunStatus::Cancelled);
  EXPECT_FALSE(std::filesystem::exists(run.Path()));
  EXPECT_TRUE(run.services.messages.empty());
  EXPECT_EQ(run.services.refreshes, 1);
  EXPECT_EQ(run.services.finishDialogs, 0);
}

// The one file of the folder whose name is the results file's and more: the run's temporary file.
std::string TemporaryOf(const RunInDir& run) {
  for (const std::string& name : run.Names()) {
    if (name.starts_with(".result.txt.")) return run.Path(name);
  }
  return {};
}

TEST(RunCalculation, ARunStaysOutOfAFileAnotherProgramPutUnderItsTemporaryName) {
  RunInDir run;
  std::string temporary;
  run.services.onStep = [&](const CalcState& s) {
    if (s.StepCount == 3) {
      temporary = TemporaryOf(run);
      std::filesystem::rename(temporary, run.Path("moved.txt"));
      WriteBytes(temporary, "another program's file");
    }
  };
  const RunOutcome outcome = run.Run(DefaultInputTexts());
  // The next progress line finds another file under the name: a write error, and the other
  // program's file is neither written to, nor deleted, nor put in place.
  EXPECT_EQ(outcome.status, RunStatus::WriteError);
  ASSERT_FALSE(temporary.empty());
  EXPECT_EQ(ReadBytes(temporary), "another program's file");
  EXPECT_TRUE(std::filesystem::exists(run.Path("moved.txt")));
  EXPECT_FALSE(std::filesystem::exists(run.Path()));
}

TEST(RunCalculation, AResultsFileDeletedDuringTheMarchEndsTheRun) {
  RunInDir run;
  run.services.onStep = [&](const CalcState& s) {
    if (s.StepCount == 2) std::filesystem::remove(TemporaryOf(run));
  };
  const RunOutcome outcome = run.Run(DefaultInputTexts());
  EXPECT_EQ(outcome.status, RunStatus::FileNotOpened);
  ASSERT_EQ(run.services.messages.size(), 1u);
  EXPECT_EQ(run.services.messages[0], "File can not open!");
  EXPECT_EQ(run.services.refreshes, 1);
  EXPECT_EQ(run.services.finishDialogs, 0);
  EXPECT_EQ(run.services.steps, 4);  // the fifth step could not write its line
  EXPECT_TRUE(run.Names().empty());
}

TEST(RunCalculation, ASmallPowerIndexIsReplacedForTheFirstStepOnly) {
  RunInDir run;
  std::vector<CalcState> steps;
  run.services.onStep = [&](const CalcState& s) {
    if (steps.size() < 2) steps.push_back(s);
  };
  const RunOutcome outcome = run.Run(DefaultsWith({{Field::PowerIndex, "0.4"}}));
  ASSERT_EQ(outcome.status, RunStatus::Finished);
  EXPECT_NE(ReadBytes(run.Path()).find("Parameter n (-)                         =  0.400\r\n"),
            std::string::npos);
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0].PowerIndex, 0.4);  // restored once the first step is done

  // The last viscosity update of a step reads the shear rates that step ended with and the
  // temperature that entered it.
  auto viscosityAt = [](CalcState s, double n, const Profile& entering, int j) {
    s.PowerIndex = n;
    return ViscosityLaw(s, s.ShearZ[j], s.ShearX[j], entering[j]);
  };
  Profile initial{};
  initial.fill(300.0);
  for (int j : {0, 7, 20}) {
    EXPECT_EQ(steps[0].Viscosity[j], viscosityAt(steps[0], 0.55, initial, j)) << j;
    EXPECT_EQ(steps[1].Viscosity[j], viscosityAt(steps[1], 0.4, steps[0].TempPrev, j)) << j;
  }
}

TEST(RunCalculation, AChannelOfPartialStepsEndsOnTheFirstStepPastIt) {
  RunInDir run;
  const RunOutcome outcome = run.Run(DefaultsWith({{Field::LengthRatio, "8.03"}}));
  ASSERT_EQ(outcome.status, RunStatus::Finished);
  EXPECT_EQ(run.services.steps, 161);
  const std::string bytes = ReadBytes(run.Path());
  EXPECT_NE(bytes.find("\r\n 8.000  "), std::string::npos);
  EXPECT_EQ(bytes.find("\r\n 8.200  "), std::string::npos);
}

TEST(RunCalculation, ALongNameIsCutWithoutSplittingACharacterBeforeItIsPlacedInItsFolder) {
  RunInDir run;
  std::string name;
  for (int i = 0; i < 100; ++i) name += "\xE2\x84\x83";  // 300 bytes of three-byte characters
  RunRequest request{DefaultInputTexts(), name, '.', TextEncoding::ShiftJis};
  request.resultFolder = run.dir.path().string();
  ASSERT_EQ(RunWithResultsFile(request, run.services).status, RunStatus::Finished);
  const std::string cut = name.substr(0, 255);  // 85 whole characters
  EXPECT_EQ(ResultPath(request), request.resultFolder + "/" + cut);
  EXPECT_EQ(ReadBytes(run.Path(cut)), GoldenDefaultResult());

  name += "\xE2\x84\x83";
  request.resultFileName = std::string("ab") + name;  // now the 255th byte splits a character
  EXPECT_EQ(ResultPath(request), request.resultFolder + "/ab" + name.substr(0, 252));
  request.resultFileName = "/tmp/elsewhere.txt";  // a name from the root keeps its folder
  EXPECT_EQ(ResultPath(request), "/tmp/elsewhere.txt");
}

}  // namespace
}  // namespace kelvado

namespace kelvado {
namespace {

TEST(RunRecord, KeepsEveryStepInAgreementWithTheProgressLines) {
  testing::RunInDir run;
  const RunOutcome outcome = run.Run(DefaultInputTexts());
  ASSERT_EQ(outcome.status, RunStatus::Finished);
  const auto& steps = outcome.record.steps;
  ASSERT_EQ(steps.size(), 161u);
  const std::string file = testing::ReadBytes(run.Path());
  std::size_t lines = 0;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    EXPECT_EQ(steps[i].Step, static_cast<std::int32_t>(i));
    if (i % 4 != 0) continue;
    CalcState s;
    s.Turns = steps[i].Turns;
    s.AvgTemp = steps[i].AvgTemp;
    s.MixingDegree = steps[i].MixingDegree;
    s.WallCooling = steps[i].WallCooling;
    s.EnthalpyDiff = steps[i].EnthalpyDiff;
    s.PowerInput = steps[i].PowerInput;
    s.Pressure = steps[i].Pressure;
    s.ClosureIter = steps[i].ClosureIter;
    EXPECT_NE(file.find("\r\n" + TurnLineText(s, '.')), std::string::npos) << "step " << i;
    ++lines;
  }
  EXPECT_EQ(lines, 41u);
  // The pressure is the sum of the kept gradients times the step length.
  EXPECT_NEAR(steps.back().Pressure / 1000, outcome.summary.OutletPressure, 1e-9);

  const auto& outlet = outcome.record.outlet;
  ASSERT_EQ(outlet.size(), 21u);
  EXPECT_EQ(outlet.front().Depth, 0.0);
  EXPECT_NEAR(outlet.back().Depth, 0.25, 1e-12);
  EXPECT_NE(file.find("\r\n 21   300.00    " + FormatExpField(outlet.back().Viscosity).substr(1)),
            std::string::npos);
}

TEST(RunRecord, AFailedRunKeepsTheStepsItCompleted) {
  testing::RunInDir run;
  run.services.onStep = [&](const CalcState& s) { run.services.cancel = s.StepCount == 7; };
  const RunOutcome outcome = run.Run(DefaultInputTexts());
  EXPECT_EQ(outcome.status, RunStatus::Cancelled);
  EXPECT_EQ(outcome.record.steps.size(), 7u);
  EXPECT_TRUE(outcome.record.outlet.empty());
}

}  // namespace
}  // namespace kelvado

namespace kelvado {
namespace {

TEST(RunRecord, KeepsNoStepsUnlessAskedAndThinsEvenlyToALimit) {
  testing::RunInDir run;
  QuietServices quiet;
  const RunOutcome none = RunWithResultsFile(RunRequest{DefaultInputTexts(), run.Path()}, quiet);
  ASSERT_EQ(none.status, RunStatus::Finished);
  EXPECT_TRUE(none.record.steps.empty());

  // 10001 steps into at most 100: every 128th step (the first power of two that fits),
  // then the last one.
  RunRecord record;
  for (std::int32_t i = 0; i <= 10000; ++i) KeepStep(record, StepRecord{.Step = i}, 100);
  KeepLastStep(record, StepRecord{.Step = 10000}, 100);
  ASSERT_EQ(record.steps.size(), 10000 / 128 + 2);
  for (std::size_t k = 0; k + 1 < record.steps.size(); ++k) {
    EXPECT_EQ(record.steps[k].Step, static_cast<std::int32_t>(128 * k));
  }
  EXPECT_EQ(record.steps.back().Step, 10000);
}

}  // namespace
}  // namespace kelvado
