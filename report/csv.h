// SPDX-License-Identifier: Apache-2.0
#pragma once
// The one CSV writer of the exports and the sweep tables: RFC 4180, UTF-8, CR LF.
#include <string>
#include <vector>

namespace kelvado {

// Appends one line; a field is quoted when it holds a comma, a quote or a line end.
void AppendCsvLine(std::string& csv, const std::vector<std::string>& fields);

// A number as a field: the shortest text that reads back as the same double, with a point;
// empty when the value is not finite.
std::string CsvNumber(double value);

}  // namespace kelvado
