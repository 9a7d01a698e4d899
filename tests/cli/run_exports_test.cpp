// SPDX-License-Identifier: Apache-2.0
// --csv and --json of a single run, in-process, against a run of the same inputs.
#include "report/results_file.h"
#include "cli/run_command.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/cli/csv_reader.h"
#include "report/export.h"
#include <nlohmann/json.hpp>
#include "tests/support/recording_services.h"
#include "tests/support/temp_dir.h"

namespace kelvado::cli {
namespace {

namespace fs = std::filesystem;


class Exports : public ::testing::Test {
 protected:
  Exports() {
    options.resultFileName = dir.file("result.txt");
    options.decimalSeparator = '.';
  }
  ExitCode Run() { return RunFromCommandLine(options, out, err); }
  RunOutcome SameRunInProcess() const {
    testing::RecordingServices services;
    RunRequest request{ComposeInputTexts(options, '.'), "/dev/null", '.', TextEncoding::ShiftJis};
    request.keptSteps = kKeepEverySteps;
    return RunWithResultsFile(request, services);
  }

  testing::TempDir dir;
  RunOptions options;
  std::ostringstream out;
  std::ostringstream err;
};

TEST_F(Exports, FilesOfAFinishedRunParseBackToItsValues) {
  options.fields[Field::OutputRate] = "45";
  options.csvFolder = dir.file("new/folder");
  options.jsonFile = dir.file("run.json");
  ASSERT_EQ(Run(), kExitFinished) << err.str();
  const RunOutcome same = SameRunInProcess();
  ASSERT_EQ(same.status, RunStatus::Finished);

  const std::string steps = testing::ReadBytes(dir.file("new/folder/steps.csv"));
  EXPECT_EQ(steps, StepsCsv(same.record));
  const auto rows = testing::ReadCsv(steps);
  ASSERT_EQ(rows.size(), same.record.steps.size() + 1);
  EXPECT_EQ(std::stod(rows.back()[7]), same.record.steps.back().Pressure);
  EXPECT_EQ(testing::ReadBytes(dir.file("new/folder/outlet.csv")), OutletCsv(same.record));

  const nlohmann::json doc = nlohmann::json::parse(testing::ReadBytes(dir.file("run.json")));
  EXPECT_EQ(doc["status"].get<std::string>(), "finished");
  EXPECT_EQ(doc["inputs"]["output-rate"].get<double>(), 45.0);
  EXPECT_EQ(doc["operating"]["rpm"].get<double>(), same.summary.Rpm);
  EXPECT_EQ(doc["steps"].size(), same.record.steps.size());
  EXPECT_EQ(doc["powerBalance"]["outletPressure_kgf_per_cm2"].get<double>(), same.summary.OutletPressure);
  EXPECT_EQ(doc["powerBalance"]["cooling2_kW"].get<double>(), same.summary.Cooling2KW);
}

TEST_F(Exports, FailedRunWritesItsJsonButNoCsv) {
  options.fields[Field::FlowRateRatio] = "0.25";
  options.csvFolder = dir.file("csv");
  options.jsonFile = dir.file("run.json");
  EXPECT_EQ(Run(), kExitInnerFailed);
  EXPECT_FALSE(fs::exists(dir.file("csv")));
  const nlohmann::json doc = nlohmann::json::parse(testing::ReadBytes(dir.file("run.json")));
  EXPECT_EQ(doc["status"].get<std::string>(), "viscosity iteration gave up");
  EXPECT_EQ(doc.count("powerBalance"), 0u);
}

TEST_F(Exports, FileThatCanNotBeWrittenIsSaidAndEndsTheFinishedRunWithSix) {
  testing::WriteBytes(dir.file("taken"), "a file, not a folder");
  options.csvFolder = dir.file("taken");
  EXPECT_EQ(Run(), kExitFileNotOpened);
  EXPECT_NE(err.str().find(dir.file("taken")), std::string::npos) << err.str();
  EXPECT_NE(out.str().find("Screw speed"), std::string::npos);  // the run itself finished
  EXPECT_EQ(testing::ReadBytes(dir.file("taken")), "a file, not a folder");

  options.csvFolder.reset();
  options.jsonFile = dir.file("missing/run.json");
  err.str("");
  EXPECT_EQ(Run(), kExitFileNotOpened);
  EXPECT_NE(err.str().find("No such file or directory"), std::string::npos) << err.str();
}

}  // namespace
}  // namespace kelvado::cli
