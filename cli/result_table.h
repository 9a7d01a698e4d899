#pragma once
// The table of a sweep or characteristic, one row a case: aligned for a person at a
// terminal, or as CSV (RFC 4180, UTF-8, CR LF) for their own tools.
#include <ostream>
#include <string>
#include <variant>
#include <vector>

namespace kelvado::cli {

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

// One heading line, "name (unit)"; numbers with a point, in the shortest form that reads
// back as the same double; a text field is quoted when it has to be.
std::string TableCsv(const ResultTable& table);

}  // namespace kelvado::cli
