#pragma once
// How a plot of many runs shows the ones that are not ordinary: a case that did not finish is
// a gap in the lines and a cross on the zero line; an outlet pressure below zero (the screw
// would have to pull the melt in) is ringed. Both are named in the legend only while present.
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

}  // namespace plots
