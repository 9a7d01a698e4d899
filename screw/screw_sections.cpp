// SPDX-License-Identifier: Apache-2.0
#include "screw/screw_sections.h"

#include <algorithm>

namespace kelvado {

const ScrewSpan& ScrewSections::SpanAt(double turn) const {
  for (const ScrewSpan& span : spans) {
    if (turn < span.endTurn) return span;
  }
  return spans.back();
}

double ScrewSections::DepthAt(double turn) const {
  const ScrewSpan& s = SpanAt(turn);
  const double share = std::clamp((turn - s.startTurn) / (s.endTurn - s.startTurn), 0.0, 1.0);
  return s.depthFrom + (s.depthTo - s.depthFrom) * share;
}

std::optional<double> ScrewSections::FirstTurnHotterThan(double temp) const {
  for (const ScrewSpan& span : spans) {
    if (span.barrelTemp > temp) return span.startTurn;
  }
  return std::nullopt;
}

std::vector<ScrewZone> ScrewSections::ZonesFrom(double turn) const {
  std::vector<ScrewZone> zones;
  for (const ScrewSpan& span : spans) {
    if (span.endTurn <= turn) continue;
    ScrewZone zone = span.zone;
    if (span.startTurn < turn) {
      zone.turns = span.endTurn - turn;
      zone.depthFrom = DepthAt(turn);
    }
    // A sliver left by rounding at a zone's end is no zone.
    if (zone.turns > 1e-9) zones.push_back(zone);
  }
  return zones;
}

ScrewSections LayOutScrew(const std::vector<ScrewZone>& zones, double barrelDiameter, double lengthRatio,
                          double channelDepth, double pitch, double flightWidth, double barrelTemp) {
  ScrewSections screw;
  screw.barrelDiameter = barrelDiameter;
  std::vector<ScrewZone> given = zones;
  if (given.empty()) given.push_back(ScrewZone{lengthRatio, channelDepth, channelDepth, {}, {}, {}});
  double turn = 0;
  for (const ScrewZone& zone : given) {
    ScrewSpan span;
    span.startTurn = turn;
    turn += zone.turns;
    span.endTurn = turn;
    span.depthFrom = zone.depthFrom;
    span.depthTo = zone.depthTo;
    span.pitch = zone.pitch.value_or(pitch);
    span.flightWidth = zone.flightWidth.value_or(flightWidth);
    span.barrelTemp = zone.barrelTemp.value_or(barrelTemp);
    span.zone = zone;
    screw.spans.push_back(span);
  }
  return screw;
}

}  // namespace kelvado
