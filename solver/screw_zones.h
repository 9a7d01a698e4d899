#pragma once
// A screw of zones in series, from the hopper side: each its length in turns, its channel
// depth at its start and end (linear in between: a compression zone when they differ), and
// optionally its own pitch, flight width and barrel temperature (else the case's fields).
// Only the consistent model marches zones; a run without zones is the case's one channel.
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "solver/input.h"

namespace kelvado {

struct CalcState;

struct ScrewZone {
  double turns = 0;
  double depthFrom = 0;  // cm
  double depthTo = 0;    // cm
  std::optional<double> pitch;        // cm
  std::optional<double> flightWidth;  // cm
  std::optional<double> barrelTemp;   // C
};

// "turns=4,depth=0.6:0.25,pitch=6.5,flight-width=0.65,barrel-temp=280" (depth=0.25 for a
// constant depth; numbers with a point). Turns and depth are required, above zero. The
// error names the zone (its number along the screw, when given, and its text) and what is
// wrong with it.
std::variant<ScrewZone, std::string> ParseZone(std::string_view text, int number = 0);

// Every zone of the texts, or the first one's error.
std::variant<std::vector<ScrewZone>, std::string> ParseZones(const std::vector<std::string>& texts);

// The zone as ParseZone reads it back, numbers in their shortest exact form.
std::string ZoneText(const ScrewZone& zone);

// The message of the first zone deeper than the barrel's radius, naming the zone, if any.
std::optional<std::string> ZoneDepthProblem(const std::vector<ScrewZone>& zones, double barrelDiameter);

// The case's field texts for a screw of zones: the first zone's start section (its depth, and
// its pitch and flight width where it gives them) and the zones' turns as the L/D. The run's
// flow-rate ratio then follows from its screw speed (CharacteristicCase).
InputTexts ZonedInputs(const InputTexts& base, const std::vector<ScrewZone>& zones, char decimalSeparator);

// The same with the section of the shallowest zone end instead of the first: the section that
// limits what the screw conveys, for an output range.
InputTexts MeteringInputs(const InputTexts& base, const std::vector<ScrewZone>& zones, char decimalSeparator);
// The same with the deepest zone end's section: the one that reaches open discharge last.
InputTexts DeepestInputs(const InputTexts& base, const std::vector<ScrewZone>& zones, char decimalSeparator);

// The zones of a run laid along the channel: where each starts and ends down the channel and
// in turns, and its section. Fields a zone leaves out come from the state's inputs.
struct ZoneSpan {
  double startZ = 0, endZ = 0;  // cm down the channel
  double startTurns = 0, endTurns = 0;
  double depthFrom = 0, depthTo = 0, pitch = 0, flightWidth = 0, barrelTemp = 0;
  double helixAngle = 0, turnLength = 0, stepZ = 0;  // twenty steps a turn, as the channel's
};

struct ZonePlan {
  std::vector<ZoneSpan> spans;
  double length = 0;  // cm down the channel
  double lowestBarrelTemp = 0;
};

// The plan of the zones on the state's inputs and operating conditions, or the message of
// the first zone no extruder can have (a depth at or above the barrel radius, a flight that
// leaves no channel), naming the zone.
std::variant<ZonePlan, std::string> PlanZones(const std::vector<ScrewZone>& zones, const CalcState& state);

// Sets the section of the step that starts at state.PosZ: the zone's barrel temperature and
// pitch (helix angle, channel width, barrel speed components), the depth at the step's middle
// (StepY with it), the step's length (to the zone's end at most) and the zone's start, for
// the turn count. The channel end takes the last zone's end section.
void SetLocalSection(CalcState& state, const ZonePlan& plan);

}  // namespace kelvado
