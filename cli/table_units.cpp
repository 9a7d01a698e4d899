// SPDX-License-Identifier: Apache-2.0
#include "cli/table_units.h"

namespace kelvado::cli {

std::vector<Column> ColumnsInPressureUnit(std::vector<Column> columns, const PressureUnit& unit) {
  if (unit.name == kKgfPerCm2.name) return columns;
  for (Column& column : columns) {
    if (column.unit != kKgfPerCm2.name) continue;
    column.unit = std::string(unit.name);
    if (column.decimals != Column::kShortest) column.decimals = unit.decimals;
  }
  return columns;
}

std::vector<Cell> RowInPressureUnit(const std::vector<Column>& columns, std::vector<Cell> row, const PressureUnit& unit) {
  if (unit.name == kKgfPerCm2.name) return row;
  for (std::size_t c = 0; c < columns.size() && c < row.size(); ++c) {
    if (columns[c].unit != kKgfPerCm2.name) continue;
    if (double* value = std::get_if<double>(&row[c])) *value = InPressureUnit(*value, unit);
  }
  return row;
}

}  // namespace kelvado::cli
