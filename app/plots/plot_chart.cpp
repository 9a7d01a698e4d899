// SPDX-License-Identifier: Apache-2.0
#include "app/plots/plot_chart.h"

#include <QChart>
#include <QGraphicsLayout>
#include <QLineSeries>
#include <QPen>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace plots {
namespace {

constexpr double kBlankLow = 0;
constexpr double kBlankHigh = 1;

QValueAxis* Axis(const QChart* chart, Qt::Orientation orientation) {
  const QList<QAbstractAxis*> axes = chart->axes(orientation);
  return axes.isEmpty() ? nullptr : qobject_cast<QValueAxis*>(axes.front());
}

// The smallest round step (1, 2 or 5 times a power of ten) that cuts the span into five
// parts at the most: the small charts have no room for more labels.
double RoundStep(double span) {
  const double raw = span / 5;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double round : {1.0, 2.0, 5.0}) {
    if (round * magnitude >= raw) return round * magnitude;
  }
  return 10 * magnitude;
}

// Widens a single value so that it still shows.
void Widen(double& low, double& high) {
  if (low < high) return;
  const double pad = low == 0 ? 1 : std::abs(low) * 0.05;
  low -= pad;
  high += pad;
}

}  // namespace

void FitPositionAxis(QValueAxis* axis, double low, double high) {
  Widen(low, high);
  axis->setRange(low, high);
  axis->setTickType(QValueAxis::TicksDynamic);
  axis->setTickAnchor(0);
  axis->setTickInterval(RoundStep(high - low));
}

void FitValueAxis(QValueAxis* axis, double low, double high) {
  Widen(low, high);
  const double step = RoundStep(high - low);
  axis->setRange(std::floor(low / step) * step, std::ceil(high / step) * step);
  axis->setTickType(QValueAxis::TicksDynamic);
  axis->setTickAnchor(0);
  axis->setTickInterval(step);
}

QChart* MakeBlankChart(const QString& key, const QString& title) {
  auto* chart = new QChart;
  chart->setObjectName(key);
  chart->setTitle(title);
  chart->setAnimationOptions(QChart::NoAnimation);
  // Three of them share a column beside the inputs: no room to spare around them.
  chart->setMargins(QMargins(2, 2, 2, 2));
  chart->layout()->setContentsMargins(0, 0, 0, 0);
  chart->setBackgroundRoundness(0);
  QFont titleFont = chart->titleFont();
  titleFont.setBold(true);
  chart->setTitleFont(titleFont);
  chart->legend()->setAlignment(Qt::AlignBottom);
  return chart;
}

QValueAxis* AddAxis(QChart* chart, const QString& title, Qt::Alignment side) {
  auto* axis = new QValueAxis;
  axis->setTitleText(title);
  axis->setLabelFormat(QStringLiteral("%g"));
  chart->addAxis(axis, side);
  axis->setRange(kBlankLow, kBlankHigh);
  return axis;
}

QLineSeries* AddCurve(QChart* chart, const QString& name, QValueAxis* x, QValueAxis* y) {
  auto* series = new QLineSeries;
  series->setName(name);
  chart->addSeries(series);
  series->attachAxis(x);
  series->attachAxis(y);
  QPen pen = series->pen();
  pen.setWidthF(2);
  series->setPen(pen);
  return series;
}

QChart* MakeChart(PlotId id) {
  const PlotLook& look = LookOf(id);
  QChart* chart = MakeBlankChart(look.key, look.title);
  QValueAxis* x = AddAxis(chart, look.xTitle, Qt::AlignBottom);
  QValueAxis* y = AddAxis(chart, look.yTitle, Qt::AlignLeft);
  for (const QString& name : look.curves) AddCurve(chart, name, x, y);
  chart->legend()->setVisible(look.curves.size() > 1);
  return chart;
}

void FillChart(QChart* chart, PlotId id, const QList<QList<QPointF>>& curves) {
  const QList<QAbstractSeries*> series = chart->series();
  double xLow = INFINITY, xHigh = -INFINITY, yLow = INFINITY, yHigh = -INFINITY;
  for (qsizetype i = 0; i < series.size(); ++i) {
    const QList<QPointF> points = i < curves.size() ? curves[i] : QList<QPointF>();
    static_cast<QLineSeries*>(series[i])->replace(points);
    for (const QPointF& p : points) {
      xLow = std::min(xLow, p.x());
      xHigh = std::max(xHigh, p.x());
      yLow = std::min(yLow, p.y());
      yHigh = std::max(yHigh, p.y());
    }
  }
  if (xLow > xHigh) return ClearChart(chart);
  if (LookOf(id).includeZero) {
    yLow = std::min(yLow, 0.0);
    yHigh = std::max(yHigh, 0.0);
  }
  FitPositionAxis(Axis(chart, Qt::Horizontal), xLow, xHigh);
  FitValueAxis(Axis(chart, Qt::Vertical), yLow, yHigh);
}

void ClearChart(QChart* chart) {
  for (QAbstractSeries* series : chart->series()) static_cast<QXYSeries*>(series)->clear();
  for (QAbstractAxis* axis : chart->axes()) {
    auto* value = static_cast<QValueAxis*>(axis);
    value->setTickType(QValueAxis::TicksFixed);
    value->setRange(kBlankLow, kBlankHigh);
  }
}

}  // namespace plots
