#include "solver/screw_zones.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "solver/calc_state.h"
#include "solver/input.h"
#include "solver/input_bounds.h"
#include "solver/shown_text.h"
#include "solver/units.h"

namespace kelvado {
namespace {

constexpr int kStepsPerTurn = 20;  // as the channel of a run without zones
constexpr std::size_t kShownZoneChars = 120;  // a zone of every key fits

// The zone by its number along the screw where it has one, and by its text.
std::string Problem(std::string_view text, int number, const std::string& what) {
  std::string message = "The zone ";
  if (number > 0) message.append(std::to_string(number)).append(" (");
  message.append("\"").append(ShownText(text, kShownZoneChars)).append("\"");
  if (number > 0) message.append(")");
  return message.append(" ").append(what).append("; change and try again!");
}

}  // namespace

std::variant<ScrewZone, std::string> ParseZone(std::string_view text, int zoneNumber) {
  ScrewZone zone;
  bool haveTurns = false, haveDepth = false;
  std::vector<std::string_view> keys;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string_view item = text.substr(start, comma - start);
    start = comma + 1;
    const std::size_t eq = item.find('=');
    if (eq == std::string_view::npos) {
      return Problem(text, zoneNumber, "has \"" + ShownText(item, kShownCellChars) + "\", which is no key=value");
    }
    const std::string_view key = item.substr(0, eq);
    const std::string_view value = item.substr(eq + 1);
    // A key given twice would have the last one win unseen.
    if (std::find(keys.begin(), keys.end(), key) != keys.end()) {
      return Problem(text, zoneNumber, "gives the key \"" + ShownText(key, kShownCellChars) + "\" twice");
    }
    keys.push_back(key);
    auto number = [&](std::string_view t) -> std::optional<double> {
      const std::optional<double> v = ParseNumber(t, '.');
      return v && *v > 0 ? v : std::nullopt;
    };
    auto positive = [&](std::optional<double>& target, std::string_view t) {
      target = number(t);
      return target.has_value();
    };
    if (key == "turns") {
      const std::optional<double> v = number(value);
      if (!v || *v > kMaxChannelTurns) {
        return Problem(text, zoneNumber, "needs turns above zero and at most " + ShortNumberText(kMaxChannelTurns));
      }
      zone.turns = *v;
      haveTurns = true;
    } else if (key == "depth") {
      const std::size_t colon = value.find(':');
      const std::optional<double> from = number(value.substr(0, colon));
      const std::optional<double> to = colon == std::string_view::npos ? from : number(value.substr(colon + 1));
      if (!from || !to) return Problem(text, zoneNumber, "needs depths above zero (depth=FROM:TO or depth=D, cm)");
      zone.depthFrom = *from;
      zone.depthTo = *to;
      haveDepth = true;
    } else if (key == "pitch") {
      if (!positive(zone.pitch, value)) return Problem(text, zoneNumber, "needs a pitch above zero");
    } else if (key == "flight-width") {
      if (!positive(zone.flightWidth, value)) return Problem(text, zoneNumber, "needs a flight width above zero");
    } else if (key == "barrel-temp") {
      const std::optional<double> v = ParseNumber(value, '.');
      if (!v || !(*v > kAbsoluteZero)) return Problem(text, zoneNumber, "needs a barrel temperature above -273.15");
      zone.barrelTemp = v;
    } else {
      return Problem(text, zoneNumber, "has the unknown key \"" + ShownText(key, kShownCellChars) +
                               "\" (turns, depth, pitch, flight-width, barrel-temp)");
    }
    if (comma == text.size()) break;
  }
  if (!haveTurns) return Problem(text, zoneNumber, "gives no turns");
  if (!haveDepth) return Problem(text, zoneNumber, "gives no depth");
  return zone;
}

std::variant<std::vector<ScrewZone>, std::string> ParseZones(const std::vector<std::string>& texts) {
  std::vector<ScrewZone> zones;
  double turns = 0;
  for (const std::string& text : texts) {
    auto zone = ParseZone(text, static_cast<int>(zones.size()) + 1);
    if (std::string* problem = std::get_if<std::string>(&zone)) return std::move(*problem);
    zones.push_back(std::get<ScrewZone>(zone));
    turns += zones.back().turns;
  }
  if (turns > kMaxChannelTurns) {
    return "The zones add up to " + ShortNumberText(turns) + " turns, more than a screw of " +
           ShortNumberText(kMaxChannelTurns) + " turns; change and try again!";
  }
  return zones;
}

std::string ZoneText(const ScrewZone& z) {
  std::string text = "turns=";
  auto add = [&text](const char* key, double value) {
    text.append(key);
    text.append(ExactNumberText(value));
  };
  add("", z.turns);
  add(",depth=", z.depthFrom);
  if (z.depthTo != z.depthFrom) add(":", z.depthTo);
  if (z.pitch) add(",pitch=", *z.pitch);
  if (z.flightWidth) add(",flight-width=", *z.flightWidth);
  if (z.barrelTemp) add(",barrel-temp=", *z.barrelTemp);
  return text;
}

std::optional<std::string> ZoneDepthProblem(const std::vector<ScrewZone>& zones, double barrelDiameter) {
  const double radius = barrelDiameter / 2;
  for (std::size_t i = 0; i < zones.size(); ++i) {
    if (!(std::max(zones[i].depthFrom, zones[i].depthTo) < radius)) {
      return "The zone " + std::to_string(i + 1) + " (" + ZoneText(zones[i]) + ") is deeper than the barrel radius, " +
             ShortNumberText(radius) + " cm; change and try again!";
    }
  }
  return std::nullopt;
}

namespace {

InputTexts WithSection(const InputTexts& base, const std::vector<ScrewZone>& zones, const ScrewZone& section,
                       double depth, char sep) {
  InputTexts texts = base;
  texts[Field::ChannelDepth] = ExactNumberText(depth, sep);
  if (section.pitch) texts[Field::ScrewPitch] = ExactNumberText(*section.pitch, sep);
  if (section.flightWidth) texts[Field::FlightWidth] = ExactNumberText(*section.flightWidth, sep);
  double turns = 0;
  for (const ScrewZone& zone : zones) turns += zone.turns;
  texts[Field::LengthRatio] = ExactNumberText(turns, sep);
  return texts;
}

// The section of the zone end that is shallowest (or deepest) of all.
InputTexts ExtremeSectionInputs(const InputTexts& base, const std::vector<ScrewZone>& zones, char sep, bool deepest) {
  const ScrewZone* chosen = &zones.front();
  double depth = chosen->depthFrom;
  for (const ScrewZone& zone : zones) {
    for (const double d : {zone.depthFrom, zone.depthTo}) {
      if (deepest ? d > depth : d < depth) {
        depth = d;
        chosen = &zone;
      }
    }
  }
  return WithSection(base, zones, *chosen, depth, sep);
}

}  // namespace

InputTexts ZonedInputs(const InputTexts& base, const std::vector<ScrewZone>& zones, char sep) {
  return WithSection(base, zones, zones.front(), zones.front().depthFrom, sep);
}

InputTexts MeteringInputs(const InputTexts& base, const std::vector<ScrewZone>& zones, char sep) {
  return ExtremeSectionInputs(base, zones, sep, false);
}

InputTexts DeepestInputs(const InputTexts& base, const std::vector<ScrewZone>& zones, char sep) {
  return ExtremeSectionInputs(base, zones, sep, true);
}

std::variant<ZonePlan, std::string> PlanZones(const std::vector<ScrewZone>& zones, const CalcState& s) {
  ZonePlan plan;
  plan.lowestBarrelTemp = s.BarrelTemp;
  if (auto problem = ZoneDepthProblem(zones, s.BarrelDiameter)) return std::move(*problem);
  double z = 0, turns = 0;
  for (std::size_t i = 0; i < zones.size(); ++i) {
    const ScrewZone& zone = zones[i];
    const std::string name = "The zone " + std::to_string(i + 1) + " (" + ZoneText(zone) + ") ";
    ZoneSpan span;
    span.depthFrom = zone.depthFrom;
    span.depthTo = zone.depthTo;
    span.pitch = zone.pitch.value_or(s.ScrewPitch);
    span.flightWidth = zone.flightWidth.value_or(s.FlightWidth);
    span.barrelTemp = zone.barrelTemp.value_or(s.BarrelTemp);
    span.helixAngle = std::atan(span.pitch / (std::numbers::pi * s.BarrelDiameter));
    const double across = span.pitch * std::cos(span.helixAngle);
    if (!(span.flightWidth < across)) {
      return name + "leaves no channel: its flight width must be less than " + ShortNumberText(across) + " cm; change and try again!";
    }
    span.turnLength = std::numbers::pi * s.BarrelDiameter / std::cos(span.helixAngle);
    span.stepZ = span.turnLength / kStepsPerTurn;
    span.startZ = z;
    span.startTurns = turns;
    z += zone.turns * span.turnLength;
    turns += zone.turns;
    span.endZ = z;
    span.endTurns = turns;
    plan.lowestBarrelTemp = std::min(plan.lowestBarrelTemp, span.barrelTemp);
    plan.spans.push_back(span);
  }
  plan.length = z;
  return plan;
}

void SetLocalSection(CalcState& s, const ZonePlan& plan) {
  std::size_t k = 0;
  while (k + 1 < plan.spans.size() && !(s.PosZ < plan.spans[k].endZ - 1e-9 * plan.spans[k].stepZ)) ++k;
  const ZoneSpan& span = plan.spans[k];
  const double remaining = span.endZ - s.PosZ;
  const bool atEnd = remaining <= 1e-9 * span.stepZ;
  const double step = atEnd || remaining > 1.01 * span.stepZ ? span.stepZ : remaining;
  // The step's section is the one at its middle: pressure and heat then follow a changing
  // depth to second order.
  const double middle = atEnd ? span.endZ : s.PosZ + 0.5 * step;
  const double share = std::clamp((middle - span.startZ) / (span.endZ - span.startZ), 0.0, 1.0);
  const double depth = span.depthFrom + (span.depthTo - span.depthFrom) * share;
  const double cosTheta = std::cos(span.helixAngle);
  const double sinTheta = std::sin(span.helixAngle);
  if (static_cast<int>(k) != s.ZoneIndex) s.ZoneEntered = 1;
  s.ZoneIndex = static_cast<int>(k);
  s.ZoneStartTurns = span.startTurns;
  s.ZoneStartZ = span.startZ;
  s.ChannelDepth = depth;
  s.StepY = depth / s.NDiv;
  s.ScrewPitch = span.pitch;
  s.FlightWidth = span.flightWidth;
  s.HelixAngle = span.helixAngle;
  s.ChannelWidth = cosTheta * span.pitch - span.flightWidth;
  s.BarrelSpeedZ = cosTheta * s.BarrelSpeed;
  s.BarrelSpeedX = sinTheta * s.BarrelSpeed;
  s.BarrelTemp = span.barrelTemp;
  s.StepZ = step;
}

}  // namespace kelvado
