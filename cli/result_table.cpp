#include "cli/result_table.h"

#include <algorithm>
#include <cmath>

#include "report/csv.h"
#include "report/number_format.h"
#include "solver/input.h"

namespace kelvado::cli {
namespace {

// Characters on the screen, taking every UTF-8 sequence for one.
std::size_t Width(const std::string& text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string ShownNumber(double value, int decimals, char separator) {
  if (decimals == Column::kShortest || !std::isfinite(value)) return ExactNumberText(value, separator);
  return FormatFixed(value, 15, decimals, separator);
}

}  // namespace

void PrintTable(std::ostream& out, const ResultTable& table, char separator) {
  const std::size_t columns = table.columns.size();
  std::vector<std::vector<std::string>> lines(2);
  for (const Column& column : table.columns) {
    lines[0].push_back(column.name);
    lines[1].push_back(column.unit.empty() ? std::string() : std::string("(").append(column.unit).append(")"));
  }
  for (const auto& row : table.rows) {
    std::vector<std::string>& line = lines.emplace_back();
    for (std::size_t c = 0; c < columns; ++c) {
      if (const double* number = std::get_if<double>(&row[c])) {
        line.push_back(ShownNumber(*number, table.columns[c].decimals, separator));
      } else if (const std::string* text = std::get_if<std::string>(&row[c])) {
        line.push_back(*text);
      } else {
        line.emplace_back();
      }
    }
  }
  std::vector<std::size_t> widths(columns, 0);
  for (const auto& line : lines) {
    for (std::size_t c = 0; c < columns; ++c) widths[c] = std::max(widths[c], Width(line[c]));
  }
  for (const auto& line : lines) {
    std::string text;
    for (std::size_t c = 0; c < columns; ++c) {
      if (c > 0) text += "  ";
      const std::string padding(widths[c] - Width(line[c]), ' ');
      const bool number = !table.columns[c].unit.empty();
      if (number) text += padding;
      text += line[c];
      if (!number && c + 1 < columns) text += padding;
    }
    text.erase(text.find_last_not_of(' ') + 1);
    out << text << '\n';
  }
}

std::string TableCsv(const ResultTable& table) {
  std::string csv;
  std::vector<std::string> fields;
  for (const Column& column : table.columns) {
    fields.push_back(column.unit.empty() ? column.name : column.name + " (" + column.unit + ")");
  }
  AppendCsvLine(csv, fields);
  for (const auto& row : table.rows) {
    fields.clear();
    for (const Cell& cell : row) {
      const double* number = std::get_if<double>(&cell);
      const std::string* text = std::get_if<std::string>(&cell);
      fields.push_back(number != nullptr ? CsvNumber(*number) : text != nullptr ? *text : std::string());
    }
    AppendCsvLine(csv, fields);
  }
  return csv;
}

}  // namespace kelvado::cli
