#include "cli/table_units.h"

namespace kelvado::cli {

ResultTable WithPressureUnit(ResultTable table, const PressureUnit& unit) {
  if (unit.name == kKgfPerCm2.name) return table;
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    Column& column = table.columns[c];
    if (column.unit != kKgfPerCm2.name) continue;
    column.unit = std::string(unit.name);
    if (column.decimals != Column::kShortest) column.decimals = unit.decimals;
    for (std::vector<Cell>& row : table.rows) {
      if (double* value = std::get_if<double>(&row[c])) *value = InPressureUnit(*value, unit);
    }
  }
  return table;
}

}  // namespace kelvado::cli
