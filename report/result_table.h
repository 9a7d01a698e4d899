// SPDX-License-Identifier: Apache-2.0
#pragma once
// The table of a sweep or characteristic, one row a case: aligned for a person at a
// terminal, or as CSV (RFC 4180, UTF-8, CR LF) for their own tools.
#include <cstddef>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

namespace kelvado {

struct Column {
  static constexpr int kShortest = -1;

  std::string name;
  std::string unit;      // empty for a text column
  int decimals = kShortest;  // on the terminal; kShortest: the shortest text that reads back
};

// Empty (a number the case does not have), a number or a text.
using Cell = std::variant<std::monostate, double, std::string>;

struct ResultTable {
  std::vector<Column> columns;
  std::vector<std::vector<Cell>> rows;
};

// Names above units, numbers right-aligned with `separator`, texts left-aligned; a column
// that ends the table is not padded.
void PrintTable(std::ostream& out, const ResultTable& table, char separator);

// PrintTable a row at a time, for tables too long to keep: the headings and the first
// `sizingRows` rows are held to find the column widths (at least `knownWidths`, those known
// beforehand), then printed; every later row is printed at once in those widths, a text
// wider than its column pushing the rest of its line to the right. A row that can not be
// written throws OutputWriteError.
class TablePrinter {
 public:
  TablePrinter(std::ostream& out, std::vector<Column> columns, char separator, std::size_t sizingRows,
               std::vector<std::size_t> knownWidths = {});
  void Add(const std::vector<Cell>& row);
  // Prints the rows still held.
  void Finish();

 private:
  void Print(const std::vector<std::string>& line);

  std::ostream& out_;
  std::vector<Column> columns_;
  char separator_;
  std::size_t sizingRows_;
  std::vector<std::size_t> widths_;
  std::vector<std::vector<std::string>> held_;
  bool sized_ = false;
};

// The width of `value` in a column with `decimals`, as PrintTable shows it.
std::size_t ShownWidth(double value, int decimals, char separator);

// One heading line, "name (unit)"; numbers with a point, in the shortest form that reads
// back as the same double; a text field is quoted when it has to be.
std::string TableCsv(const ResultTable& table);
// The heading line and one row of TableCsv.
std::string CsvHeading(const std::vector<Column>& columns);
std::string CsvRow(const std::vector<Cell>& row);

}  // namespace kelvado
