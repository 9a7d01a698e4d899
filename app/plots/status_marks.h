// SPDX-License-Identifier: Apache-2.0
#pragma once
// How a plot of many runs shows the ones that are not ordinary: a case that did not finish is
// a gap in the lines and a star on the zero line; an outlet pressure below zero (the die would
// have to pull the melt through) is ringed. Both are named in the legend only while present.
#include <QList>
#include <QPointF>
#include <QString>
#include <vector>

class QChart;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace plots {

// A line that breaks where a case failed: one series a piece, all drawn in the pen of the
// first, which alone the legend names.
class GappedLine {
 public:
  GappedLine(QChart* chart, QLineSeries* first, QValueAxis* x, QValueAxis* y);
  // Each piece is drawn joined; pieces are not joined to each other.
  void replace(const QList<QList<QPointF>>& pieces);
  // Every point of every piece, in order.
  QList<QPointF> points() const;

 private:
  QChart* chart_;
  QValueAxis* x_;
  QValueAxis* y_;
  std::vector<QLineSeries*> pieces_;  // the first is the named one
};

enum class Mark { Failed, BelowZero };
// An empty series of such marks on the chart.
QScatterSeries* AddMarks(QChart* chart, Mark mark, QValueAxis* x, QValueAxis* y);
// Puts the points in; the legend names them while there are any.
void SetMarks(QScatterSeries* marks, const QList<QPointF>& points);

// Along the channel: a curve of pressure that ends below zero ends in a red dot, each line of
// the chart (the run on show and the kept ones) on its own.
void MarkEndsBelowZero(QChart* chart);

}  // namespace plots
