// SPDX-License-Identifier: Apache-2.0
#include "app/plots/plot_picture.h"

#include <QChart>
#include <memory>

#include "app/plots/plot_chart.h"
#include "app/plots/plot_export.h"

namespace plots {

bool WritePlotPicture(PlotId id, const kelvado::RunRecord& record, const QString& path, QSize size,
                      QString* error) {
  const std::unique_ptr<QChart> chart(MakeChart(id));
  chart->resize(size);
  FillChart(chart.get(), id, PlotPoints(id, record));
  return SavePlot(chart.get(), path, error);
}

}  // namespace plots
