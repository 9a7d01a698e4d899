// SPDX-License-Identifier: Apache-2.0
#include "app/plots/status_marks.h"

#include "app/plots/plot_chart.h"

#include <QChart>
#include <QGraphicsLayout>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

namespace plots {
namespace {

void ShowInLegend(QChart* chart, QAbstractSeries* series, bool shown) {
  for (QLegendMarker* marker : chart->legend()->markers(series)) marker->setVisible(shown);
  // The legend does not lay itself out again for a marker shown or hidden.
  if (QGraphicsLayout* layout = chart->legend()->layout()) layout->invalidate();
}

}  // namespace

GappedLine::GappedLine(QChart* chart, QLineSeries* first, QValueAxis* x, QValueAxis* y)
    : chart_(chart), x_(x), y_(y), pieces_{first} {}

void GappedLine::replace(const QList<QList<QPointF>>& pieces) {
  while (pieces_.size() < std::size_t(pieces.size())) {
    auto* piece = new QLineSeries;
    piece->setName(pieces_.front()->name());
    piece->setPen(pieces_.front()->pen());
    chart_->addSeries(piece);
    piece->attachAxis(x_);
    piece->attachAxis(y_);
    ShowInLegend(chart_, piece, false);
    pieces_.push_back(piece);
  }
  for (std::size_t i = 0; i < pieces_.size(); ++i) {
    pieces_[i]->replace(i < std::size_t(pieces.size()) ? pieces[qsizetype(i)] : QList<QPointF>{});
  }
}

QList<QPointF> GappedLine::points() const {
  QList<QPointF> all;
  for (const QLineSeries* piece : pieces_) all += piece->points();
  return all;
}

QScatterSeries* AddMarks(QChart* chart, Mark mark, QValueAxis* x, QValueAxis* y) {
  auto* marks = new QScatterSeries;
  if (mark == Mark::Failed) {
    marks->setName(QStringLiteral("Did not finish"));
    marks->setMarkerShape(QScatterSeries::MarkerShapeStar);
    marks->setColor(Qt::black);
    marks->setBorderColor(Qt::black);
    marks->setMarkerSize(12);
  } else {
    marks->setName(QStringLiteral("Below zero"));
    marks->setColor(Qt::transparent);
    marks->setBorderColor(Qt::red);
    marks->setPen(QPen(Qt::red, 2));
    marks->setMarkerSize(14);
  }
  chart->addSeries(marks);
  marks->attachAxis(x);
  marks->attachAxis(y);
  ShowInLegend(chart, marks, false);
  return marks;
}

void SetMarks(QScatterSeries* marks, const QList<QPointF>& points) {
  marks->replace(points);
  ShowInLegend(marks->chart(), marks, !points.isEmpty());
}

void MarkEndsBelowZero(QChart* chart) {
  bool marked = false;
  for (QAbstractSeries* series : chart->series()) {
    auto* line = qobject_cast<QLineSeries*>(series);
    if (!line) continue;
    line->clearPointsConfiguration();
    const qsizetype last = line->count() - 1;
    if (last < 0 || !(line->at(last).y() < 0)) continue;
    line->setPointConfiguration(int(last), {{QXYSeries::PointConfiguration::Visibility, true},
                                            {QXYSeries::PointConfiguration::Color, QColor(Qt::red)},
                                            {QXYSeries::PointConfiguration::Size, 10.0}});
    marked = true;
  }
  // The axis ends at the channel's end, where the dot would be cut in half: a little room after it.
  auto* x = qobject_cast<QValueAxis*>(chart->axes(Qt::Horizontal).value(0));
  if (marked && x) FitPositionAxis(x, x->min(), x->max() + (x->max() - x->min()) * 0.03);
}

}  // namespace plots
