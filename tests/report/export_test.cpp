// SPDX-License-Identifier: Apache-2.0
#include "report/results_file.h"
#include "report/export.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <limits>
#include <sstream>

#include "solver/input_fields.h"
#include <nlohmann/json.hpp>

#include "report/csv.h"
#include "tests/support/recording_services.h"
#include "tests/support/temp_dir.h"

namespace kelvado {
namespace {

std::vector<std::vector<std::string>> ReadCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "every record ends in CR LF";
    if (end == std::string::npos) break;
    std::vector<std::string> fields;
    std::stringstream line(text.substr(start, end - start));
    for (std::string field; std::getline(line, field, ',');) fields.push_back(field);
    rows.push_back(fields);
    start = end + 2;
  }
  return rows;
}

double Number(const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  EXPECT_EQ(*end, '\0') << text;
  return value;
}

class ExportOfTheDefaultRun : public ::testing::Test {
 protected:
  void SetUp() override {
    request = RunRequest{DefaultInputTexts(), dir.file("result.txt"), '.', TextEncoding::ShiftJis};
    request.keptSteps = kKeepEverySteps;
    outcome = RunWithResultsFile(request, services);
    ASSERT_EQ(outcome.status, RunStatus::Finished);
  }
  testing::TempDir dir;
  testing::RecordingServices services;
  RunRequest request;
  RunOutcome outcome;
};

TEST_F(ExportOfTheDefaultRun, StepsCsvParsesBackToEveryStep) {
  const auto rows = ReadCsv(StepsCsv(outcome.record));
  ASSERT_EQ(rows.size(), 1 + outcome.record.steps.size());
  EXPECT_EQ(rows[0][2], "AvgTemp (\u00B0C)");
  for (std::size_t i = 0; i < outcome.record.steps.size(); ++i) {
    const StepRecord& s = outcome.record.steps[i];
    const auto& row = rows[i + 1];
    ASSERT_EQ(row.size(), 11u);
    EXPECT_EQ(Number(row[0]), s.Step);
    EXPECT_EQ(Number(row[1]), s.Turns);
    EXPECT_EQ(Number(row[2]), s.AvgTemp);
    EXPECT_EQ(Number(row[3]), s.MixingDegree);
    EXPECT_EQ(Number(row[4]), s.WallCooling);
    EXPECT_EQ(Number(row[5]), s.EnthalpyDiff);
    EXPECT_EQ(Number(row[6]), s.PowerInput);
    EXPECT_EQ(Number(row[7]), s.Pressure);
    EXPECT_EQ(Number(row[8]), s.ClosureIter);
    EXPECT_EQ(Number(row[9]), s.PressGradZ);
    EXPECT_EQ(Number(row[10]), s.PressGradX);
  }
  // Against the results file: the last step's pressure is the outlet pressure it prints.
  const std::string file = testing::ReadBytes(dir.file("result.txt"));
  const std::string label = "Outlet Pressure (kgf/cm2)";
  const std::size_t at = file.find("=", file.find(label));
  ASSERT_NE(at, std::string::npos);
  EXPECT_NEAR(Number(rows.back()[7]) / 1000, std::stod(file.substr(at + 1)), 0.005);
}

TEST_F(ExportOfTheDefaultRun, OutletCsvParsesBackToEveryNode) {
  const auto rows = ReadCsv(OutletCsv(outcome.record));
  ASSERT_EQ(rows.size(), 22u);
  EXPECT_EQ(rows[0].size(), 7u);
  for (std::size_t i = 0; i < 21; ++i) {
    const OutletNode& n = outcome.record.outlet[i];
    const auto& row = rows[i + 1];
    EXPECT_EQ(Number(row[0]), static_cast<double>(i + 1));
    EXPECT_EQ(Number(row[1]), n.Depth);
    EXPECT_EQ(Number(row[2]), n.Temp);
    EXPECT_EQ(Number(row[3]), n.Viscosity);
    EXPECT_EQ(Number(row[4]), n.VelZ);
    EXPECT_EQ(Number(row[5]), n.VelX);
    EXPECT_EQ(Number(row[6]), n.ShearRate);
  }
}

TEST_F(ExportOfTheDefaultRun, JsonHoldsInputsConditionsStepsProfilesAndBalance) {
  const nlohmann::json doc = nlohmann::json::parse(RunJson(request, outcome));
  EXPECT_EQ(doc["status"].get<std::string>(), "finished");
  EXPECT_EQ(doc["inputs"]["barrel-diameter"].get<double>(), 6.5);
  EXPECT_EQ(doc["inputs"]["temp-coeff"].get<double>(), 0.0337);
  EXPECT_EQ(doc["operating"]["rpm"].get<double>(), outcome.record.operating.Rpm);
  EXPECT_EQ(doc["operating"]["channelWidth_cm"].get<double>(), outcome.record.operating.ChannelWidth);
  ASSERT_EQ(doc["steps"].size(), 161u);
  EXPECT_EQ(doc["steps"][57]["pressure_gf_per_cm2"].get<double>(), outcome.record.steps[57].Pressure);
  EXPECT_EQ(doc["steps"][160]["closureIter"].get<double>(), outcome.record.steps[160].ClosureIter);
  ASSERT_EQ(doc["outlet"].size(), 21u);
  EXPECT_EQ(doc["outlet"][3]["viscosity_gf_s_per_cm2"].get<double>(), outcome.record.outlet[3].Viscosity);
  EXPECT_EQ(doc["powerBalance"]["cooling1_kW"].get<double>(), outcome.summary.Cooling1KW);
  EXPECT_EQ(doc["powerBalance"]["outletPressure_kgf_per_cm2"].get<double>(), outcome.summary.OutletPressure);
}

// Written in pieces the document is the same; a cancel on the way cuts it, and the
// document then made says "cancelled" and leaves the steps out.
TEST_F(ExportOfTheDefaultRun, JsonCutByACancelSaysSo) {
  RunOutcome longRun = outcome;
  while (longRun.record.steps.size() < 3000) longRun.record.steps.push_back(outcome.record.steps.back());
  std::string pieces;
  std::atomic<bool> cancel{false};
  ASSERT_TRUE(WriteRunJson(request, longRun, [&](std::string_view bytes) { pieces.append(bytes); }, &cancel));
  EXPECT_EQ(pieces, RunJson(request, longRun));

  pieces.clear();
  EXPECT_FALSE(WriteRunJson(request, longRun, [&](std::string_view bytes) {
    pieces.append(bytes);
    cancel = true;
  }, &cancel));
  EXPECT_LT(pieces.size(), RunJson(request, longRun).size() / 2);  // stopped within the first 1024 steps
  const nlohmann::json doc = nlohmann::json::parse(RunJson(request, longRun, &cancel));
  EXPECT_EQ(doc["status"], "cancelled");
  EXPECT_TRUE(doc["steps"].empty());
  EXPECT_EQ(doc["outlet"].size(), 21u);
}

TEST(RunJson, KeepsAnImproperTextAsTextAndEscapesIt) {
  testing::RecordingServices services;
  RunRequest request{DefaultInputTexts(), "/dev/null", '.', TextEncoding::ShiftJis};
  request.inputs[0] = "6.5\"\\\x01";
  const RunOutcome outcome = RunWithResultsFile(request, services);
  const nlohmann::json doc = nlohmann::json::parse(RunJson(request, outcome));
  EXPECT_EQ(doc["status"].get<std::string>(), "improper input");
  EXPECT_EQ(doc["inputs"]["barrel-diameter"].get<std::string>(), request.inputs[0]);
  EXPECT_TRUE(doc["steps"].empty());
  EXPECT_EQ(doc.count("powerBalance"), 0u);

  // Bytes that are no UTF-8 become U+FFFD; a well-formed character stays as it is.
  request.inputs[0] = "\xff" "6\xC3\xA9" "\xED\xA0\x80" "\xC3";
  const std::string json = RunJson(request, RunWithResultsFile(request, services));
  EXPECT_NE(json.find("\"\xEF\xBF\xBD" "6\xC3\xA9" "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD" "\xEF\xBF\xBD\""),
            std::string::npos) << json.substr(0, 200);
}

TEST(CsvNumber, IsShortAndExact) {
  EXPECT_EQ(CsvNumber(0.1), "0.1");
  EXPECT_EQ(CsvNumber(-0.0), "-0");
  EXPECT_EQ(CsvNumber(std::numeric_limits<double>::infinity()), "");
  for (const double v : {1.0 / 3.0, 6.02214076e23, 5e-324}) EXPECT_EQ(Number(CsvNumber(v)), v);
}

}  // namespace
}  // namespace kelvado
