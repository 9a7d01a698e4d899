#pragma once
// A results plot as a chart: titled value axes, one line per curve, a legend when there is
// more than one. The chart is built once and refilled after each run.
#include <QList>
#include <QPointF>

#include "plot_data.h"

class QChart;

namespace plots {

// A chart with the plot's titles and empty curves; the caller owns it.
QChart* MakeChart(PlotId id);
// Puts the points in (one list per curve, as PlotPoints gives them) and fits both axes to
// them; the chart must have been made for the same plot.
void FillChart(QChart* chart, PlotId id, const QList<QList<QPointF>>& curves);
// Empties every curve and returns the axes to their blank range.
void ClearChart(QChart* chart);

}  // namespace plots
