// SPDX-License-Identifier: Apache-2.0
#include "app/plots/zone_marks.h"

#include <QAbstractAxis>
#include <QChart>
#include <QFontMetricsF>
#include <QGraphicsItem>
#include <QPainter>
#include <QValueAxis>
#include <algorithm>

#include "app/plots/status_marks.h"

namespace plots {
namespace {

// One item a chart: the lines and numbers, placed on the plot area each time it is painted.
class ZoneMarksItem : public QGraphicsItem {
 public:
  static constexpr int kType = UserType + 20;

  explicit ZoneMarksItem(QChart* chart) : QGraphicsItem(chart), chart_(chart) { setZValue(10); }

  int type() const override { return kType; }
  QRectF boundingRect() const override { return chart_->plotArea().adjusted(-2, -2, 2, 2); }

  void setZones(QList<double> boundaries, double start, double end) {
    prepareGeometryChange();
    boundaries_ = std::move(boundaries);
    start_ = start;
    end_ = end;
    update();
  }
  const QList<double>& boundaries() const { return boundaries_; }

  void replot() {
    prepareGeometryChange();
    update();
  }

  void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
    if (boundaries_.isEmpty()) return;
    const QRectF area = chart_->plotArea();
    const double y = chart_->mapToValue(area.center()).y();
    auto at = [&](double turns) { return chart_->mapToPosition(QPointF(turns, y)).x(); };
    painter->save();
    painter->setClipRect(area.adjusted(-1, -1, 1, 1));
    painter->setPen(QPen(QColor(90, 90, 90), 1, Qt::DashLine));
    for (const double b : boundaries_) painter->drawLine(QPointF(at(b), area.top()), QPointF(at(b), area.bottom()));
    // Each zone's number in the middle of its span, at the top.
    // In the chart's own units, so that a report drawn at the printer's resolution scales it as
    // it scales the chart.
    QFont font = painter->font();
    font.setPixelSize(11);
    painter->setFont(font);
    painter->setPen(QColor(60, 60, 60));
    const double height = QFontMetricsF(font).height();
    double from = start_;
    for (qsizetype i = 0; i <= boundaries_.size(); ++i) {
      const double to = i < boundaries_.size() ? boundaries_[i] : end_;
      const QRectF cell(QPointF(at(from), area.top()), QPointF(at(to), area.top() + height));
      painter->drawText(cell, Qt::AlignCenter, QString::number(i + 1));
      from = to;
    }
    painter->restore();
  }

 private:
  QChart* chart_;
  QList<double> boundaries_;
  double start_ = 0, end_ = 0;
};

ZoneMarksItem* MarksOf(const QChart* chart) {
  for (QGraphicsItem* child : chart->childItems()) {
    if (child->type() == ZoneMarksItem::kType) return static_cast<ZoneMarksItem*>(child);
  }
  return nullptr;
}

// Where the zones meet, in turns from the inlet: every zone's end but the last's.
QList<double> ZoneBoundaries(const std::vector<kelvado::ZoneRecord>& zones) {
  QList<double> boundaries;
  for (std::size_t i = 0; i + 1 < zones.size(); ++i) boundaries << zones[i].EndTurns;
  return boundaries;
}

}  // namespace

void MarkZones(QChart* chart, const std::vector<kelvado::ZoneRecord>& zones) {
  ZoneMarksItem* marks = MarksOf(chart);
  if (!marks) {
    if (zones.empty()) return;
    marks = new ZoneMarksItem(chart);
    // Placed again whenever the plot area or the position axis moves.
    QObject::connect(chart, &QChart::plotAreaChanged, chart, [marks] { marks->replot(); });
    for (QAbstractAxis* axis : chart->axes(Qt::Horizontal)) {
      if (auto* values = qobject_cast<QValueAxis*>(axis)) {
        QObject::connect(values, &QValueAxis::rangeChanged, chart, [marks] { marks->replot(); });
      }
    }
  }
  if (zones.empty()) return marks->setZones({}, 0, 0);
  marks->setZones(ZoneBoundaries(zones), zones.front().StartTurns, zones.back().EndTurns);
}

void MarkRun(QChart* chart, PlotId id, const std::vector<kelvado::ZoneRecord>& zones) {
  if (id == PlotId::Pressure) MarkEndsBelowZero(chart);
  if (std::ranges::find(kChannelPlots, id) != kChannelPlots.end()) MarkZones(chart, zones);
}

QList<double> MarkedBoundaries(const QChart* chart) {
  const ZoneMarksItem* marks = MarksOf(chart);
  return marks ? marks->boundaries() : QList<double>{};
}

}  // namespace plots
