// SPDX-License-Identifier: Apache-2.0
#pragma once
// A table of measured viscosities, as a rheometer's software exports it: a header line
// naming the columns with their units, then one point a line. The columns are temp_C,
// shear_rate_per_s and viscosity_Pa_s or viscosity_gf_s_per_cm2, in any order, among any
// others; the separator is a comma or a semicolon (then a decimal comma is read too). A cell
// may be quoted.
#include <string>
#include <string_view>
#include <vector>

#include "materials/viscosity_fit.h"

namespace kelvado {

// The points, viscosities in gf.s/cm2. Throws FitError naming `origin` and the line for no
// header, a missing column or one named twice, a line with more or fewer cells than the
// header (a decimal comma in a file of commas is one), a quote left open, a cell that is not
// a number, a temperature not above absolute zero, a shear rate or viscosity not above zero;
// and for a table without points. Cells echoed are cut short and their control bytes escaped.
std::vector<ViscosityPoint> ParseViscosityTable(std::string_view content, const std::string& origin);

// The file read (at most 4 MiB) and parsed.
std::vector<ViscosityPoint> ReadViscosityTable(const std::string& path);

}  // namespace kelvado
