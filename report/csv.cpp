// SPDX-License-Identifier: Apache-2.0
#include "report/csv.h"

#include <cmath>

#include "solver/input.h"

namespace kelvado {
namespace {

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

}  // namespace

void AppendCsvLine(std::string& csv, const std::vector<std::string>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) csv += ',';
    csv += CsvField(fields[i]);
  }
  csv += "\r\n";
}

std::string CsvNumber(double value) { return std::isfinite(value) ? ExactNumberText(value, '.') : std::string(); }

}  // namespace kelvado
