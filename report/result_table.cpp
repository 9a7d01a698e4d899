// SPDX-License-Identifier: Apache-2.0
#include "report/result_table.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <utility>

#include "files/output_file.h"
#include "report/csv.h"
#include "report/number_format.h"
#include "solver/input.h"

namespace kelvado {
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

TablePrinter::TablePrinter(std::ostream& out, std::vector<Column> columns, char separator, std::size_t sizingRows,
                           std::vector<std::size_t> knownWidths)
    : out_(out), columns_(std::move(columns)), separator_(separator), sizingRows_(sizingRows),
      widths_(std::move(knownWidths)) {
  widths_.resize(columns_.size(), 0);
  std::vector<std::string> names, units;
  for (const Column& column : columns_) {
    names.push_back(column.name);
    units.push_back(column.unit.empty() ? std::string() : std::string("(").append(column.unit).append(")"));
  }
  held_.push_back(std::move(names));
  held_.push_back(std::move(units));
}

void TablePrinter::Add(const std::vector<Cell>& row) {
  std::vector<std::string> line;
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    if (const double* number = std::get_if<double>(&row[c])) {
      line.push_back(ShownNumber(*number, columns_[c].decimals, separator_));
    } else if (const std::string* text = std::get_if<std::string>(&row[c])) {
      line.push_back(*text);
    } else {
      line.emplace_back();
    }
  }
  if (sized_) return Print(line);
  held_.push_back(std::move(line));
  if (held_.size() - 2 >= sizingRows_) Finish();
}

void TablePrinter::Finish() {
  if (!sized_) {
    for (const auto& line : held_) {
      for (std::size_t c = 0; c < columns_.size(); ++c) widths_[c] = std::max(widths_[c], Width(line[c]));
    }
    sized_ = true;
  }
  for (const auto& line : held_) Print(line);
  held_.clear();
}

void TablePrinter::Print(const std::vector<std::string>& line) {
  std::string text;
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    if (c > 0) text += "  ";
    const std::string padding(widths_[c] - std::min(widths_[c], Width(line[c])), ' ');
    const bool number = !columns_[c].unit.empty();
    if (number) text += padding;
    text += line[c];
    if (!number && c + 1 < columns_.size()) text += padding;
  }
  text.erase(text.find_last_not_of(' ') + 1);
  out_ << text << '\n';
  // A table nobody can read any more (a full disk, a reader that went away) ends the work.
  if (!out_) throw OutputWriteError(std::string("can not write the table: ").append(std::strerror(errno)));
}

void PrintTable(std::ostream& out, const ResultTable& table, char separator) {
  TablePrinter printer(out, table.columns, separator, table.rows.size());
  for (const auto& row : table.rows) printer.Add(row);
  printer.Finish();
}

std::size_t ShownWidth(double value, int decimals, char separator) {
  return Width(ShownNumber(value, decimals, separator));
}

std::string CsvHeading(const std::vector<Column>& columns) {
  std::string csv;
  std::vector<std::string> fields;
  for (const Column& column : columns) {
    fields.push_back(column.unit.empty() ? column.name : column.name + " (" + column.unit + ")");
  }
  AppendCsvLine(csv, fields);
  return csv;
}

std::string CsvRow(const std::vector<Cell>& row) {
  std::string csv;
  std::vector<std::string> fields;
  for (const Cell& cell : row) {
    const double* number = std::get_if<double>(&cell);
    const std::string* text = std::get_if<std::string>(&cell);
    fields.push_back(number != nullptr ? CsvNumber(*number) : text != nullptr ? *text : std::string());
  }
  AppendCsvLine(csv, fields);
  return csv;
}

std::string TableCsv(const ResultTable& table) {
  std::string csv = CsvHeading(table.columns);
  for (const auto& row : table.rows) csv += CsvRow(row);
  return csv;
}

}  // namespace kelvado
