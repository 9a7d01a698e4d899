// SPDX-License-Identifier: Apache-2.0
#pragma once
// One plot of a run written straight to a file, without a window: for the documentation and
// for scripts.
#include <QSize>
#include <QString>

#include "app/plots/plot_data.h"

namespace plots {

inline constexpr QSize kPictureSize{720, 420};

// Draws the plot of the record at the given size and writes it as SavePlot does.
bool WritePlotPicture(PlotId id, const kelvado::RunRecord& record, const QString& path,
                      QSize size = kPictureSize, QString* error = nullptr);

}  // namespace plots
