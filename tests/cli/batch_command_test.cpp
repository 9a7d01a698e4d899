// SPDX-License-Identifier: Apache-2.0
// sweep and characteristic in-process: their CSV rows against single runs of the same inputs.
#include "report/results_file.h"
#include "cli/batch_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "tests/cli/csv_reader.h"
#include "solver/input_fields.h"
#include "solver/sweep.h"
#include "tests/support/recording_services.h"
#include "tests/support/temp_dir.h"

namespace kelvado::cli {
namespace {


double Number(const std::string& text) {
  const std::optional<double> value = ParseNumber(text, '.');
  EXPECT_TRUE(value) << "'" << text << "'";
  return value.value_or(NAN);
}

RunOutcome SingleRun(const InputTexts& inputs) {
  testing::RecordingServices services;
  return RunWithResultsFile(RunRequest{inputs, "/dev/null", '.', TextEncoding::ShiftJis}, services);
}

struct Batch {
  testing::TempDir dir;
  std::ostringstream out;
  std::ostringstream err;
  ExitCode code = kExitStopped;
  std::vector<std::vector<std::string>> rows;

  explicit Batch(std::vector<std::string> args, bool progressBar = false) {
    args.insert(args.end(), {"--csv", dir.file("table.csv")});
    code = BatchFromCommandLine(ParseCommandLine(args), out, err, progressBar);
    rows = testing::ReadCsv(testing::ReadBytes(dir.file("table.csv")));
  }
};

TEST(Sweep, EveryRowEqualsASingleRunOfItsInputsAndAFailureIsARow) {
  const Batch sweep({"sweep", "--vary", "output-rate=0:60:3", "--vary", "barrel-temp=290:300:2", "--threads", "2",
                     "--decimal-separator", "."});
  ASSERT_EQ(sweep.code, kExitFinished) << sweep.err.str();
  EXPECT_EQ(sweep.err.str(), "");
  ASSERT_EQ(sweep.rows.size(), 7u);
  EXPECT_EQ(sweep.rows[0], (std::vector<std::string>{
                               "output-rate (kg/hr)", "barrel-temp (\u00B0C)", "Screw speed (rpm)",
                               "Outlet pressure (kgf/cm2)", "Mean outlet temp (\u00B0C)", "Total power (kW)",
                               "Cooling 1 (kW)", "Cooling 2 (kW)", "Outcome", "Message"}));
  for (std::size_t i = 1; i < sweep.rows.size(); ++i) {
    const std::vector<std::string>& row = sweep.rows[i];
    ASSERT_EQ(row.size(), 10u);
    InputTexts inputs = DefaultInputTexts();
    inputs[Field::OutputRate] = ExactNumberText(Number(row[0]), '.');
    inputs[Field::BarrelTemp] = ExactNumberText(Number(row[1]), '.');
    const RunOutcome single = SingleRun(inputs);
    EXPECT_EQ(row[8], StatusName(single.status)) << i;
    if (single.status != RunStatus::Finished) {
      EXPECT_EQ(row[9], single.detail);
      for (int c = 2; c < 8; ++c) EXPECT_EQ(row[c], "") << i << ' ' << c;
      continue;
    }
    const OutletSummary& s = single.summary;
    const double expected[] = {s.Rpm, s.OutletPressure, s.AvgTemp, s.TotalPowerKW, s.Cooling1KW, s.Cooling2KW};
    for (int c = 2; c < 8; ++c) EXPECT_EQ(Number(row[c]), expected[c - 2]) << i << ' ' << c;
  }
  EXPECT_EQ(sweep.rows[1][8], "improper input");  // output 0
  EXPECT_EQ(sweep.rows[6][8], "finished");
  // Two heading lines and a line a case on the terminal.
  const std::string table = sweep.out.str();
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 8) << table;
}

TEST(Characteristic, EveryFinishedCaseRunsAtTheAskedScrewSpeed) {
  const Batch characteristic(
      {"characteristic", "--rpm", "72.5", "--output-rate", "30:90:7", "--decimal-separator", "."});
  ASSERT_EQ(characteristic.code, kExitFinished) << characteristic.err.str();
  ASSERT_EQ(characteristic.rows.size(), 8u);
  EXPECT_EQ(characteristic.rows[0][1], "flow-rate-ratio (-)");
  int finished = 0;
  for (std::size_t i = 1; i < characteristic.rows.size(); ++i) {
    const std::vector<std::string>& row = characteristic.rows[i];
    EXPECT_EQ(Number(row[0]), 30.0 + 10.0 * static_cast<double>(i - 1));
    if (row[6] != "finished") continue;
    ++finished;
    EXPECT_NEAR(Number(row[2]), 72.5, 72.5e-9) << row[0];
  }
  EXPECT_GE(finished, 4);
  EXPECT_NE(characteristic.out.str().find("72.50"), std::string::npos) << characteristic.out.str();
}

// The CSV of one part, read back byte for byte.
std::string ShardCsv(std::vector<std::string> args, const std::string& shard) {
  args.insert(args.end(), {"--shard", shard, "--threads", "2"});
  const Batch batch(args);
  EXPECT_EQ(batch.code, kExitFinished) << batch.err.str();
  return testing::ReadBytes(batch.dir.file("table.csv"));
}

// As a user joins the parts: the heading once, then every part's rows sorted by their
// leading case index (sort -n).
std::string JoinShards(const std::vector<std::string>& parts) {
  std::string heading;
  std::vector<std::pair<long, std::string>> rows;
  for (const std::string& part : parts) {
    std::size_t at = part.find("\r\n") + 2;
    heading = part.substr(0, at);
    for (std::size_t end; (end = part.find("\r\n", at)) != std::string::npos; at = end + 2) {
      const std::string line = part.substr(at, end + 2 - at);
      rows.emplace_back(std::stol(line), line);
    }
  }
  std::sort(rows.begin(), rows.end());
  std::string joined = heading;
  for (const auto& row : rows) joined += row.second;
  return joined;
}

TEST(Sweep, ShardsJoinedAreTheSingleRunsCsvByteForByte) {
  const std::vector<std::vector<std::string>> commands = {
      {"sweep", "--vary", "output-rate=0:60:4", "--vary", "power-index=0.3:0.8:3", "--decimal-separator", "."},
      {"characteristic", "--rpm", "80", "--output-rate", "30:90:5", "--decimal-separator", "."},
  };
  for (const auto& command : commands) {
    const std::string whole = ShardCsv(command, "0/1");
    for (const std::size_t n : {2u, 3u, 7u}) {
      std::vector<std::string> parts;
      for (std::size_t k = 0; k < n; ++k) parts.push_back(ShardCsv(command, std::to_string(k) + "/" + std::to_string(n)));
      EXPECT_EQ(JoinShards(parts), whole) << command[0] << " in " << n;
    }
    // Without --shard the same rows, less the leading index.
    std::string plain = whole;
    for (std::size_t at = 0; at < plain.size(); at = plain.find("\r\n", at) + 2) plain.erase(at, plain.find(',', at) + 1 - at);
    EXPECT_EQ(testing::ReadBytes(Batch(command).dir.file("table.csv")), plain) << command[0];
  }
}

TEST(Sweep, ProgressBarOnlyWhenAskedAndBlankedAtTheEnd) {
  const Batch shown({"sweep", "--vary", "output-rate=50:60:3"}, true);
  EXPECT_NE(shown.err.str().find("3/3 cases 100%"), std::string::npos) << shown.err.str();
  EXPECT_TRUE(shown.err.str().ends_with('\r'));
  EXPECT_EQ(Batch({"sweep", "--vary", "output-rate=50:60:3"}).err.str(), "");
}

TEST(Sweep, CsvThatCanNotBeMadeStopsBeforeAnyCaseRuns) {
  testing::TempDir dir;
  std::ostringstream out;
  std::ostringstream err;
  const std::string path = dir.file("missing/table.csv");
  const ExitCode code =
      BatchFromCommandLine(ParseCommandLine({"sweep", "--vary", "output-rate=50:60:3", "--csv", path}), out, err, false);
  EXPECT_EQ(code, kExitFileNotOpened);
  EXPECT_EQ(err.str(), std::string("can not write '").append(path).append("': No such file or directory\n"));
  EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace kelvado::cli
