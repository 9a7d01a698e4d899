#pragma once
// The unit factors between the solver's units (cm, gf, s, cal, C) and the ones the results
// file, the exports and the window report in. Every conversion goes through these, in the
// way written beside each, since the results file depends on the exact operation.
namespace kelvado {

// gf to kgf: divide by this (gf/cm2 to kgf/cm2).
inline constexpr double kGfPerKgf = 1000;
// cal/s to kW: multiply by this.
inline constexpr double kCalPerSecToKW = 0.0041897;
// gf.cm/s to kW: multiply by this.
inline constexpr double kGfCmPerSecToKW = 9.8067e-8;

}  // namespace kelvado
