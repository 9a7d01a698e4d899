// SPDX-License-Identifier: Apache-2.0
#pragma once
// What a screw fed with pellets needs beside the melt's fields: the pellets' solid-state
// data (a property of the grade, so a material may carry it) and the pressure at the bottom
// of the hopper. Read once into typed values, in the program's units, each with its bound.
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kelvado {

// How the screw is fed: melt fills it from the hopper on (every run of old), or pellets are
// conveyed as a solid, melted, then conveyed as melt.
enum class Feed { Melt, Pellets };
const char* FeedName(Feed feed);  // "melt", "pellets"
std::optional<Feed> FindFeed(std::string_view name);

enum class PelletField {
  BulkDensity,
  SolidDensity,
  SolidSpecificHeat,
  MeltingTemp,
  HeatOfFusion,
  BarrelFriction,
  ScrewFriction,
  HopperPressure,  // the one that is not the grade's
};
inline constexpr std::size_t kPelletFieldCount = 8;
inline constexpr std::size_t kSolidStateCount = 7;  // the grade's: a material carries these

enum class PelletBound { AboveZero, NotBelowZero, AboveAbsoluteZero };

struct PelletFieldInfo {
  PelletField field;
  std::string_view name;     // option (without "--"), case file and materials file key
  std::string_view caption;  // UTF-8, the unit in parentheses
  std::string_view unit;
  PelletBound bound;
};

inline constexpr std::array<PelletFieldInfo, kPelletFieldCount> kPelletFields{{
    {PelletField::BulkDensity, "bulk-density", "Bulk Density (g/cm3)", "g/cm3", PelletBound::AboveZero},
    {PelletField::SolidDensity, "solid-density", "Solid Density (g/cm3)", "g/cm3", PelletBound::AboveZero},
    {PelletField::SolidSpecificHeat, "solid-specific-heat", "Solid Specific Heat (cal/g.\u2103)", "cal/g.\u00B0C",
     PelletBound::AboveZero},
    {PelletField::MeltingTemp, "melting-temp", "Melting Temperature (\u2103)", "\u00B0C", PelletBound::AboveAbsoluteZero},
    // An amorphous polymer has none.
    {PelletField::HeatOfFusion, "heat-of-fusion", "Heat of Fusion (cal/g)", "cal/g", PelletBound::NotBelowZero},
    {PelletField::BarrelFriction, "barrel-friction", "Barrel Friction (-)", "-", PelletBound::AboveZero},
    {PelletField::ScrewFriction, "screw-friction", "Screw Friction (-)", "-", PelletBound::AboveZero},
    {PelletField::HopperPressure, "hopper-pressure", "Hopper Pressure (kgf/cm2)", "kgf/cm2", PelletBound::AboveZero},
}};

constexpr const PelletFieldInfo& PelletFieldOf(PelletField field) { return kPelletFields[static_cast<std::size_t>(field)]; }
std::optional<PelletField> FindPelletField(std::string_view name);

// The pressure at the bottom of a hopper of pellets: a column of about 50 cm at a bulk
// density near 0.5 g/cm3, 3 kPa.
inline constexpr double kDefaultHopperPressure = 0.03;  // kgf/cm2

struct PelletInputs {
  std::array<double, kPelletFieldCount> values{};
  double operator[](PelletField field) const { return values[static_cast<std::size_t>(field)]; }
  double& operator[](PelletField field) { return values[static_cast<std::size_t>(field)]; }
};

// The first value outside its bound, as a message naming the field.
std::optional<std::string> PelletInputProblem(const PelletInputs& inputs);

}  // namespace kelvado
