// SPDX-License-Identifier: Apache-2.0
#include "case/zone_values.h"

#include <array>
#include <charconv>
#include <utility>
#include <variant>

#include "solver/input_error.h"

namespace kelvado {
namespace {

struct KeyInfo {
  ZoneKey key;
  std::string_view name;
  std::string_view unit;
};
constexpr std::array<KeyInfo, 7> kKeys = {{{ZoneKey::Turns, "turns", "turns"},
                                           {ZoneKey::Depth, "depth", "cm"},
                                           {ZoneKey::DepthFrom, "depth-from", "cm"},
                                           {ZoneKey::DepthTo, "depth-to", "cm"},
                                           {ZoneKey::Pitch, "pitch", "cm"},
                                           {ZoneKey::FlightWidth, "flight-width", "cm"},
                                           {ZoneKey::BarrelTemp, "barrel-temp", "\u00B0C"}}};

const KeyInfo& Info(ZoneKey key) {
  for (const KeyInfo& info : kKeys) {
    if (info.key == key) return info;
  }
  return kKeys.front();
}

}  // namespace

std::optional<ZoneValue> ParseZoneValueName(std::string_view name) {
  constexpr std::string_view kPrefix = "zone";
  if (name.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
  const std::size_t dot = name.find('.');
  const std::string_view number = name.substr(kPrefix.size(), dot == std::string_view::npos ? name.npos : dot - kPrefix.size());
  std::size_t zone = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), zone);
  if (dot == std::string_view::npos || number.empty() || error != std::errc() || end != number.data() + number.size() ||
      zone < 1) {
    throw InputError::Of("'", name, "' names no zone value: zoneN.KEY, N from 1 on the hopper side");
  }
  const std::string_view key = name.substr(dot + 1);
  for (const KeyInfo& info : kKeys) {
    if (info.name == key) return ZoneValue{zone - 1, info.key};
  }
  throw InputError::Of("'", name,
                       "' names no zone value: the keys are turns, depth, depth-from, depth-to, pitch, flight-width "
                       "and barrel-temp");
}

std::string ZoneValueName(const ZoneValue& value) {
  return "zone" + std::to_string(value.zone + 1) + "." + std::string(Info(value.key).name);
}

std::string_view ZoneValueUnit(ZoneKey key) { return Info(key).unit; }

void CheckZoneValue(const ZoneValue& value, const std::vector<ScrewZone>& zones) {
  const std::string name = "--vary " + ZoneValueName(value);
  if (value.zone >= zones.size()) {
    throw InputError::Of(name, ": the screw has ", std::to_string(zones.size()), zones.size() == 1 ? " zone" : " zones",
                         zones.empty() ? "; give them with --zone" : "");
  }
  const ScrewZone& zone = zones[value.zone];
  if (value.key == ZoneKey::Depth && zone.depthFrom != zone.depthTo) {
    throw InputError::Of(name, ": the zone's depth changes from ", ShortNumberText(zone.depthFrom), " to ",
                         ShortNumberText(zone.depthTo), " cm; vary zone", std::to_string(value.zone + 1),
                         ".depth-from or .depth-to");
  }
}

std::optional<std::string> SetZoneValue(std::vector<ScrewZone>& zones, const ZoneValue& value, double number) {
  ScrewZone& zone = zones.at(value.zone);
  switch (value.key) {
    case ZoneKey::Turns: zone.turns = number; break;
    case ZoneKey::Depth: zone.depthFrom = zone.depthTo = number; break;
    case ZoneKey::DepthFrom: zone.depthFrom = number; break;
    case ZoneKey::DepthTo: zone.depthTo = number; break;
    case ZoneKey::Pitch: zone.pitch = number; break;
    case ZoneKey::FlightWidth: zone.flightWidth = number; break;
    case ZoneKey::BarrelTemp: zone.barrelTemp = number; break;
  }
  // Read back from its text, the zone meets the same checks as one given on the command line.
  auto checked = ParseZone(ZoneText(zone), static_cast<int>(value.zone) + 1);
  if (std::string* problem = std::get_if<std::string>(&checked)) return std::move(*problem);
  return std::nullopt;
}

}  // namespace kelvado
