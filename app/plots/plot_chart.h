// SPDX-License-Identifier: Apache-2.0
#pragma once
// Results plots as charts: titled value axes with round ticks labelled by us, one line per curve, a legend when there is
// more than one. A chart is built once and refilled after each run.
#include <QList>
#include <QPointF>

#include "app/plots/plot_data.h"

class QChart;
class QLineSeries;
class QValueAxis;

namespace plots {

// A chart with the plot's titles and empty curves; the caller owns it.
QChart* MakeChart(PlotId id);
// Puts the points in (one list per curve, as PlotPoints gives them) and fits both axes to
// them; the chart must have been made for the same plot.
void FillChart(QChart* chart, PlotId id, const QList<QList<QPointF>>& curves);
// Empties every curve and returns the axes to their blank range.
void ClearChart(QChart* chart);

// The pieces the charts are made of, for plots of other kinds.
QChart* MakeBlankChart(const QString& key, const QString& title);
QValueAxis* AddAxis(QChart* chart, const QString& title, Qt::Alignment side);
QLineSeries* AddCurve(QChart* chart, const QString& name, QValueAxis* x, QValueAxis* y);
// The axis spans exactly [low, high], with round ticks from zero: for positions.
void FitPositionAxis(QValueAxis* axis, double low, double high);
// The axis covers [low, high], widened to the round ticks next to them: for values.
void FitValueAxis(QValueAxis* axis, double low, double high);

}  // namespace plots
