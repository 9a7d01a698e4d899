#include "cli/result_table.h"

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

}  // namespace
}  // namespace kelvado::cli
