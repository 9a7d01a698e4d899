// SPDX-License-Identifier: Apache-2.0
#pragma once
// Writing a chart to a picture file.
#include <QRectF>
#include <QString>

class QChart;
class QPainter;

namespace plots {

// Writes the chart at its current size: a PNG for a name ending in ".png", an SVG for one
// ending in ".svg" (any case). A chart that is not in a scene is drawn in one of its own.
// On failure returns false and says why in *error.
bool SavePlot(QChart* chart, const QString& path, QString* error = nullptr);

// Draws the chart, laid out at its current size, into `target` on the painter (scaled to
// fit): for pages that hold plots among other things.
void DrawPlot(QChart* chart, QPainter& painter, const QRectF& target);

}  // namespace plots
