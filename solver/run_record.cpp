// SPDX-License-Identifier: Apache-2.0
#include "solver/run_record.h"

#include "solver/calc_state.h"

namespace kelvado {

StepRecord RecordStep(const CalcState& s, std::int32_t step) {
  StepRecord record{step,         s.Turns,      s.AvgTemp,     s.MixingDegree, s.WallCooling, s.EnthalpyDiff,
                    s.PowerInput, s.Pressure,   s.ClosureIter, s.PressGradZ,   s.PressGradX};
  record.Zone = s.Zones != nullptr ? s.ZoneIndex + 1 : 0;
  record.Depth = s.ChannelDepth;
  return record;
}

OperatingRecord RecordOperating(const CalcState& s) {
  return OperatingRecord{s.MassRate,    s.VolumeRate,   s.HelixAngle,   s.ChannelWidth,
                         s.RevPerSec,   s.Rpm,          s.BarrelSpeed,  s.BarrelSpeedZ,
                         s.BarrelSpeedX, s.ChannelLength, s.StepZ,      s.StepY};
}

std::vector<OutletNode> RecordOutlet(const CalcState& s) {
  std::vector<OutletNode> nodes;
  nodes.reserve(static_cast<std::size_t>(s.NNodes));
  double depth = 0;
  for (int j = 0; j < s.NNodes; ++j) {
    nodes.push_back(OutletNode{depth, s.TempPrev[j], s.Viscosity[j], s.VelZ[j], s.VelX[j], s.ShearRate[j]});
    depth = depth + s.StepY;  // the same repeated addition as the grid
  }
  return nodes;
}

void KeepStep(RunRecord& record, const StepRecord& step, std::size_t limit) {
  if (limit == kKeepNoSteps || step.Step % record.keptStride != 0) return;
  if (record.steps.size() >= limit) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < record.steps.size(); i += 2) record.steps[kept++] = record.steps[i];
    record.steps.resize(kept);
    record.keptStride *= 2;
    if (step.Step % record.keptStride != 0) return;
  }
  record.steps.push_back(step);
}

void KeepLastStep(RunRecord& record, const StepRecord& step, std::size_t limit) {
  if (limit == kKeepNoSteps || (!record.steps.empty() && record.steps.back().Step == step.Step)) return;
  record.steps.push_back(step);
}

}  // namespace kelvado
