#pragma once
// The printed tables in the pressure unit the user asked for; their CSV keeps kgf/cm2.
#include "cli/result_table.h"
#include "solver/units.h"

namespace kelvado::cli {

// The table with every column in kgf/cm2 shown in `unit`: its numbers converted, its unit
// and decimals the unit's. In kgf/cm2 the table comes back as it was.
ResultTable WithPressureUnit(ResultTable table, const PressureUnit& unit);

}  // namespace kelvado::cli
