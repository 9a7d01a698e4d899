// SPDX-License-Identifier: Apache-2.0
#pragma once
// What each results plot shows and the points it takes from a run's record, in the units an
// engineer reads: kgf/cm2, °C, kW, cm, cm/s, gf·s/cm2, 1/s.
#include <QList>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

#include "app/display_units.h"
#include "solver/run_record.h"

namespace plots {

enum class PlotId {
  Pressure,           // along the channel, against turns
  MeanTemperature,
  Power,
  OutletTemperature,  // across the depth at the outlet
  OutletVelocity,
  OutletViscosity,
  OutletShearRate,
};
inline constexpr int kPlotCount = 7;
inline constexpr std::array<PlotId, 3> kChannelPlots{PlotId::Pressure, PlotId::MeanTemperature, PlotId::Power};
inline constexpr std::array<PlotId, 4> kOutletPlots{PlotId::OutletTemperature, PlotId::OutletVelocity,
                                                    PlotId::OutletViscosity, PlotId::OutletShearRate};

// Steps a run keeps for the channel plots: more than a plot can show, evenly thinned on a
// long channel so that memory does not grow with L/D.
inline constexpr std::size_t kPlottedStepsAtMost = 4000;

struct PlotLook {
  QString key;         // for object and file names: "pressure", "outlet-velocity", ...
  QString title;       // names the quantity
  QString xTitle;
  QString yTitle;      // the unit alone: the title has named the quantity
  QStringList curves;  // one name per curve; a plot of one curve needs no legend
  bool includeZero;    // the value axis always shows zero
};

const PlotLook& LookOf(PlotId id);
// The plot with the given key, if there is one.
std::optional<PlotId> PlotByKey(const QString& key);

// One list of points per curve of the plot, in the order of LookOf(id).curves. The channel
// plots have a point per kept step, the outlet plots a point per node (none unless the run
// finished). Pressures are in `pressureUnit`.
QList<QList<QPointF>> PlotPoints(PlotId id, const kelvado::RunRecord& record,
                                 display_units::PressureUnit pressureUnit = display_units::PressureUnit::KgfPerCm2);
// The title of the plot's value axis: its unit.
QString ValueAxisTitle(PlotId id, display_units::PressureUnit pressureUnit);

}  // namespace plots
