#pragma once
// Writing a chart to a picture file.
#include <QString>

class QChart;

namespace plots {

// Writes the chart at its current size: a PNG for a name ending in ".png", an SVG for one
// ending in ".svg" (any case). A chart that is not in a scene is drawn in one of its own.
// On failure returns false and says why in *error.
bool SavePlot(QChart* chart, const QString& path, QString* error = nullptr);

}  // namespace plots
