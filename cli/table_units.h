// SPDX-License-Identifier: Apache-2.0
#pragma once
// The printed tables in the pressure unit the user asked for; their CSV keeps kgf/cm2.
#include <vector>

#include "report/result_table.h"
#include "solver/units.h"

namespace kelvado::cli {

// The columns with every one in kgf/cm2 shown in `unit`: its unit and decimals the unit's.
std::vector<Column> ColumnsInPressureUnit(std::vector<Column> columns, const PressureUnit& unit);

// A row of those columns (as they were, in kgf/cm2) with its numbers in kgf/cm2 converted.
// In kgf/cm2 both come back as they were.
std::vector<Cell> RowInPressureUnit(const std::vector<Column>& columns, std::vector<Cell> row, const PressureUnit& unit);

}  // namespace kelvado::cli
