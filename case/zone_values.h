// SPDX-License-Identifier: Apache-2.0
#pragma once
// One value of one zone of a screw, as a sweep varies it: zoneN.KEY, zones counted from 1 on
// the hopper side.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "solver/screw_zones.h"

namespace kelvado {

enum class ZoneKey { Turns, Depth, DepthFrom, DepthTo, Pitch, FlightWidth, BarrelTemp };

struct ZoneValue {
  std::size_t zone = 0;  // from 0
  ZoneKey key = ZoneKey::Turns;
  bool operator==(const ZoneValue&) const = default;
};

// "zone2.depth" and the like; nullopt for a name that does not start with "zone". Throws
// InputError for a name that does but names no zone value.
std::optional<ZoneValue> ParseZoneValueName(std::string_view name);

// "zone2.depth", as ParseZoneValueName reads it.
std::string ZoneValueName(const ZoneValue& value);
// The value's unit as tables write it.
std::string_view ZoneValueUnit(ZoneKey key);

// Throws InputError when the zones have no such zone, or the value is the depth of a zone
// whose depth changes (its two ends are told apart: depth-from, depth-to).
void CheckZoneValue(const ZoneValue& value, const std::vector<ScrewZone>& zones);

// Sets the value in the zones; the message of the zone's text when the value leaves it
// impossible (turns or depth at or below zero), the zones then being left unusable.
std::optional<std::string> SetZoneValue(std::vector<ScrewZone>& zones, const ZoneValue& value, double number);

}  // namespace kelvado
