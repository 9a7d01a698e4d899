// SPDX-License-Identifier: Apache-2.0
#include "report/result_table.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/cli/csv_reader.h"

namespace kelvado::cli {
namespace {

ResultTable Sample() {
  ResultTable table;
  table.columns = {{"barrel-temp", "\u00B0C", Column::kShortest}, {"Total power", "kW", 3}, {"Outcome", "", 0},
                   {"Message", "", 0}};
  table.rows = {{280.5, 3.0241, std::string("finished"), std::string()},
                {1e-7, Cell(), std::string("improper input"), std::string("Input data is not proper, \"x\"")}};
  return table;
}

TEST(ResultTable, CsvQuotesWhatNeedsItAndLeavesMissingNumbersEmpty) {
  const std::string csv = TableCsv(Sample());
  EXPECT_TRUE(csv.ends_with("\r\n"));
  const auto rows = testing::ReadCsv(csv);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"barrel-temp (\u00B0C)", "Total power (kW)", "Outcome", "Message"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"280.5", "3.0241", "finished", ""}));
  EXPECT_EQ(rows[2], (std::vector<std::string>{"1e-07", "", "improper input", "Input data is not proper, \"x\""}));
}

TEST(ResultTable, TerminalColumnsLineUpAroundMultiByteUnits) {
  std::ostringstream out;
  PrintTable(out, Sample(), ',');
  EXPECT_EQ(out.str(),
            "barrel-temp  Total power  Outcome         Message\n"
            "       (\u00B0C)         (kW)\n"
            "      280,5        3,024  finished\n"
            "      1e-07               improper input  Input data is not proper, \"x\"\n");
}

TEST(ResultTable, PrintedARowAtATimeAfterTheSizingRows) {
  std::ostringstream out;
  TablePrinter printer(out, Sample().columns, '.', 1, {7, 0, 0, 0});
  printer.Add(Sample().rows[0]);
  const std::string sized = out.str();
  printer.Add(Sample().rows[1]);  // printed at once, in the widths of the first row
  const std::string next = out.str().substr(sized.size());
  printer.Add({12345678.0, 1234567.0, std::string("viscosity iteration gave up"), std::string("m")});
  printer.Finish();
  EXPECT_EQ(sized,
            "barrel-temp  Total power  Outcome   Message\n"
            "       (\u00B0C)         (kW)\n"
            "      280.5        3.024  finished\n");
  EXPECT_EQ(next, "      1e-07               improper input  Input data is not proper, \"x\"\n");
  // Wider than its column: the rest of the line moves right, the column start stays.
  EXPECT_TRUE(out.str().ends_with("\n   12345678  1234567.000  viscosity iteration gave up  m\n")) << out.str();
}

}  // namespace
}  // namespace kelvado::cli
