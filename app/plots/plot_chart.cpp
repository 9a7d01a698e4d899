// SPDX-License-Identifier: Apache-2.0
#include "app/plots/plot_chart.h"

#include <QCategoryAxis>
#include <QChart>
#include <QFontMetrics>
#include <QFontMetricsF>
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

// What an axis was fitted to, kept on it so that it can be fitted again when its chart is
// resized, and the parts its length has room for.
const char* const kFitLow = "kelvadoFitLow";
const char* const kFitHigh = "kelvadoFitHigh";
const char* const kFitAsPosition = "kelvadoFitAsPosition";
const char* const kFitParts = "kelvadoFitParts";
constexpr int kMostParts = 5;

int PartsOf(const QValueAxis* axis) {
  const QVariant parts = axis->property(kFitParts);
  return parts.isValid() ? parts.toInt() : kMostParts;
}

// The smallest round step (1, 2 or 5 times a power of ten) that cuts the span into `parts`
// parts at the most: a small chart has no room for more labels.
double RoundStep(double span, int parts) {
  const double raw = span / parts;
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

// The text of a tick at `value` on an axis whose ticks are `step` apart: "0" for zero.
QString TickLabel(double value, double step) {
  if (std::abs(value) < step * 1e-6) return QStringLiteral("0");
  const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
  // Very small or very large numbers take their exponent rather than a row of zeros.
  if (decimals > 4 || std::abs(value) >= 1e7) return QString::number(value, 'g', 3);
  return QString::number(value, 'f', decimals);
}

// The axis's ticks are labels of our own at whole multiples of the step, each computed as
// k x step, never by adding steps up: zero reads "0", never "-2.77556e-17", and a label is
// never wider than the step needs, so that it fits beside a small chart.
void SetTicks(QValueAxis* axis, double low, double high, double step) {
  auto* ticks = qobject_cast<QCategoryAxis*>(axis);
  if (!ticks) return;
  for (const QString& label : ticks->categoriesLabels()) ticks->remove(label);
  // The first tick's category starts a step before it: a category of no width would leave its
  // label no room.
  ticks->setStartValue(low - step);
  const double slack = step * 1e-9;
  for (double k = std::ceil((low - slack) / step); k * step <= high + slack; ++k) {
    ticks->append(TickLabel(k * step, step), k * step);
  }
}

void Remember(QValueAxis* axis, double low, double high, bool asPosition) {
  axis->setProperty(kFitLow, low);
  axis->setProperty(kFitHigh, high);
  axis->setProperty(kFitAsPosition, asPosition);
}

// Labels at least two lines apart up the side, and room for six characters along the bottom;
// an axis whose room changes is fitted again to what it was fitted to.
void FitToPlotArea(QChart* chart, const QRectF& area) {
  for (QAbstractAxis* a : chart->axes()) {
    auto* axis = qobject_cast<QValueAxis*>(a);
    if (!axis || !axis->property(kFitLow).isValid()) continue;
    const QFontMetricsF metrics(axis->labelsFont());
    const bool vertical = axis->orientation() == Qt::Vertical;
    const double room = vertical ? area.height() / (2 * metrics.height()) : area.width() / (6 * metrics.averageCharWidth());
    const int parts = std::clamp(static_cast<int>(room), 1, kMostParts);
    if (parts == PartsOf(axis)) continue;
    axis->setProperty(kFitParts, parts);
    const double low = axis->property(kFitLow).toDouble(), high = axis->property(kFitHigh).toDouble();
    axis->property(kFitAsPosition).toBool() ? FitPositionAxis(axis, low, high) : FitValueAxis(axis, low, high);
  }
}

}  // namespace

void FitPositionAxis(QValueAxis* axis, double low, double high) {
  Remember(axis, low, high, true);
  Widen(low, high);
  axis->setRange(low, high);
  SetTicks(axis, low, high, RoundStep(high - low, PartsOf(axis)));
}

void FitValueAxis(QValueAxis* axis, double low, double high) {
  Remember(axis, low, high, false);
  Widen(low, high);
  const double step = RoundStep(high - low, PartsOf(axis));
  low = std::floor(low / step) * step;
  high = std::ceil(high / step) * step;
  axis->setRange(low, high);
  SetTicks(axis, low, high, step);
}

QChart* MakeBlankChart(const QString& key, const QString& title) {
  auto* chart = new QChart;
  chart->setObjectName(key);
  chart->setTitle(title);
  chart->setAnimationOptions(QChart::NoAnimation);
  // Three of them share a column beside the inputs: no room to spare around them, but for the
  // right, where half the last label of the axis below and a marker at the end stand out.
  const int halfLabel = QFontMetrics(chart->font()).horizontalAdvance(QStringLiteral("000")) / 2;
  chart->setMargins(QMargins(2, 2, 2 + halfLabel, 2));
  chart->layout()->setContentsMargins(0, 0, 0, 0);
  chart->setBackgroundRoundness(0);
  QFont titleFont = chart->titleFont();
  titleFont.setBold(true);
  chart->setTitleFont(titleFont);
  chart->legend()->setAlignment(Qt::AlignBottom);
  QObject::connect(chart, &QChart::plotAreaChanged, chart, [chart](const QRectF& area) { FitToPlotArea(chart, area); });
  return chart;
}

QValueAxis* AddAxis(QChart* chart, const QString& title, Qt::Alignment side) {
  auto* axis = new QCategoryAxis;
  axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  axis->setTitleText(title);
  chart->addAxis(axis, side);
  FitValueAxis(axis, kBlankLow, kBlankHigh);
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
  for (QAbstractAxis* axis : chart->axes()) FitValueAxis(static_cast<QValueAxis*>(axis), kBlankLow, kBlankHigh);
}

}  // namespace plots
