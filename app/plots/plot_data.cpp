// SPDX-License-Identifier: Apache-2.0
#include "app/plots/plot_data.h"

#include "solver/units.h"

namespace plots {
namespace {

using kelvado::OutletNode;
using kelvado::StepRecord;

const QString kTurns = QStringLiteral("Down-channel position (turns)");
const QString kDepth = QStringLiteral("Depth from screw root (cm)");

const std::array<PlotLook, kPlotCount> kSpecs{{
    {QStringLiteral("pressure"), QStringLiteral("Pressure"), kTurns, QStringLiteral("kgf/cm\u00b2"),
     {QStringLiteral("Pressure")}, true},
    {QStringLiteral("mean-temperature"), QStringLiteral("Mean melt temperature"), kTurns,
     QStringLiteral("\u00b0C"), {QStringLiteral("Mixing-cup mean")}, false},
    {QStringLiteral("power"), QStringLiteral("Power from the inlet"), kTurns, QStringLiteral("kW"),
     {QStringLiteral("Viscous heating"), QStringLiteral("Enthalpy rise"), QStringLiteral("Wall cooling")}, true},
    {QStringLiteral("outlet-temperature"), QStringLiteral("Outlet temperature"), kDepth,
     QStringLiteral("\u00b0C"), {QStringLiteral("Temperature")}, false},
    {QStringLiteral("outlet-velocity"), QStringLiteral("Outlet velocity"), kDepth, QStringLiteral("cm/s"),
     {QStringLiteral("Down-channel"), QStringLiteral("Cross-channel")}, true},
    {QStringLiteral("outlet-viscosity"), QStringLiteral("Outlet viscosity"), kDepth,
     QStringLiteral("gf\u00b7s/cm\u00b2"), {QStringLiteral("Viscosity")}, false},
    {QStringLiteral("outlet-shear-rate"), QStringLiteral("Outlet shear rate"), kDepth,
     QStringLiteral("1/s"), {QStringLiteral("Shear rate")}, true},
}};

template <typename Row, typename Value>
QList<QPointF> Points(const std::vector<Row>& rows, double Row::*x, Value value) {
  QList<QPointF> points;
  points.reserve(qsizetype(rows.size()));
  for (const Row& row : rows) points.append(QPointF(row.*x, value(row)));
  return points;
}

}  // namespace

const PlotLook& LookOf(PlotId id) { return kSpecs[static_cast<std::size_t>(id)]; }

std::optional<PlotId> PlotByKey(const QString& key) {
  for (int i = 0; i < kPlotCount; ++i) {
    if (kSpecs[i].key == key) return static_cast<PlotId>(i);
  }
  return std::nullopt;
}

QString ValueAxisTitle(PlotId id, display_units::PressureUnit pressureUnit) {
  return id == PlotId::Pressure ? display_units::Label(pressureUnit) : LookOf(id).yTitle;
}

QList<QList<QPointF>> PlotPoints(PlotId id, const kelvado::RunRecord& record, display_units::PressureUnit pressureUnit) {
  const auto& steps = record.steps;
  const auto& outlet = record.outlet;
  constexpr auto turns = &StepRecord::Turns;
  constexpr auto depth = &OutletNode::Depth;
  switch (id) {
    case PlotId::Pressure:
      return {Points(steps, turns, [pressureUnit](const StepRecord& s) {
        return display_units::FromKgfPerCm2(s.Pressure / kelvado::kGfPerKgf, pressureUnit);
      })};
    case PlotId::MeanTemperature:
      return {Points(steps, turns, [](const StepRecord& s) { return s.AvgTemp; })};
    case PlotId::Power:
    {
      const double toKW = record.calPerSecToKW;
      return {Points(steps, turns, [toKW](const StepRecord& s) { return s.PowerInput * toKW; }),
              Points(steps, turns, [toKW](const StepRecord& s) { return s.EnthalpyDiff * toKW; }),
              Points(steps, turns, [toKW](const StepRecord& s) { return s.WallCooling * toKW; })};
    }
    case PlotId::OutletTemperature:
      return {Points(outlet, depth, [](const OutletNode& n) { return n.Temp; })};
    case PlotId::OutletVelocity:
      return {Points(outlet, depth, [](const OutletNode& n) { return n.VelZ; }),
              Points(outlet, depth, [](const OutletNode& n) { return n.VelX; })};
    case PlotId::OutletViscosity:
      return {Points(outlet, depth, [](const OutletNode& n) { return n.Viscosity; })};
    case PlotId::OutletShearRate:
      return {Points(outlet, depth, [](const OutletNode& n) { return n.ShearRate; })};
  }
  return {};
}

}  // namespace plots
