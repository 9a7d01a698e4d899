// SPDX-License-Identifier: Apache-2.0
#pragma once
// Along the channel of a screw of zones: a dashed vertical line where one zone ends and the
// next begins, and each zone's number at the top, between its lines. Drawn over the chart's
// plot area, so that saved pictures and the report carry them too.
#include <QList>
#include <vector>

#include "app/plots/plot_data.h"
#include "solver/run_record.h"

class QChart;

namespace plots {

// Marks the chart's zones (replacing the marks it had); none for a run without zones.
void MarkZones(QChart* chart, const std::vector<kelvado::ZoneRecord>& zones);

// The marks of a run on plot `id`: a pressure that ends below zero and, along the channel,
// the zones (the outlet plots are across the depth, where zones have no place).
void MarkRun(QChart* chart, PlotId id, const std::vector<kelvado::ZoneRecord>& zones);

// The boundaries the chart marks, in turns.
QList<double> MarkedBoundaries(const QChart* chart);

}  // namespace plots
