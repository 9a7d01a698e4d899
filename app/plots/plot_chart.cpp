#include "plot_chart.h"

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

// A round step (1, 2 or 5 times a power of ten) that cuts the span into about five.
double RoundStep(double span) {
  const double raw = span / 5;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  const double normalized = raw / magnitude;
  return (normalized < 1.5 ? 1 : normalized < 3 ? 2 : normalized < 7 ? 5 : 10) * magnitude;
}

// Widens a single value so that it still shows.
void Widen(double& low, double& high) {
  if (low < high) return;
  const double pad = low == 0 ? 1 : std::abs(low) * 0.05;
  low -= pad;
  high += pad;
}

// The position axis spans exactly the channel or the depth, with round ticks from zero.
void FitPositionAxis(QValueAxis* axis, double low, double high) {
  Widen(low, high);
  axis->setRange(low, high);
  axis->setTickType(QValueAxis::TicksDynamic);
  axis->setTickAnchor(0);
  axis->setTickInterval(RoundStep(high - low));
}

// The value axis is widened to round numbers around the values.
void FitValueAxis(QValueAxis* axis, double low, double high) {
  Widen(low, high);
  axis->setRange(low, high);
  axis->applyNiceNumbers();
}

}  // namespace

QChart* MakeChart(PlotId id) {
  const PlotSpec& spec = Spec(id);
  auto* chart = new QChart;
  chart->setObjectName(spec.key);
  chart->setTitle(spec.title);
  chart->setAnimationOptions(QChart::NoAnimation);
  // Three of them share a column beside the inputs: no room to spare around them.
  chart->setMargins(QMargins(2, 2, 2, 2));
  chart->layout()->setContentsMargins(0, 0, 0, 0);
  chart->setBackgroundRoundness(0);
  QFont titleFont = chart->titleFont();
  titleFont.setBold(true);
  chart->setTitleFont(titleFont);

  auto* x = new QValueAxis;
  x->setTitleText(spec.xTitle);
  x->setLabelFormat(QStringLiteral("%g"));
  auto* y = new QValueAxis;
  y->setTitleText(spec.yTitle);
  y->setLabelFormat(QStringLiteral("%g"));
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);

  for (const QString& name : spec.curves) {
    auto* series = new QLineSeries;
    series->setName(name);
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
    QPen pen = series->pen();
    pen.setWidthF(2);
    series->setPen(pen);
  }
  chart->legend()->setVisible(spec.curves.size() > 1);
  chart->legend()->setAlignment(Qt::AlignBottom);
  ClearChart(chart);
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
  if (Spec(id).includeZero) {
    yLow = std::min(yLow, 0.0);
    yHigh = std::max(yHigh, 0.0);
  }
  FitPositionAxis(Axis(chart, Qt::Horizontal), xLow, xHigh);
  FitValueAxis(Axis(chart, Qt::Vertical), yLow, yHigh);
}

void ClearChart(QChart* chart) {
  for (QAbstractSeries* series : chart->series()) static_cast<QLineSeries*>(series)->clear();
  QValueAxis* x = Axis(chart, Qt::Horizontal);
  x->setTickType(QValueAxis::TicksFixed);
  x->setRange(kBlankLow, kBlankHigh);
  Axis(chart, Qt::Vertical)->setRange(kBlankLow, kBlankHigh);
}

}  // namespace plots
