// SPDX-License-Identifier: Apache-2.0
#include "app/plots/bed_drawing.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "solver/input.h"

namespace {

const QColor kMeltMark(40, 130, 60);
const QColor kPressure(30, 100, 190);
const QColor kTemperature(200, 50, 40);

QString Short(double value) { return QString::fromStdString(kelvado::ShortNumberText(value)); }

// A round top for an axis from 0 (or `low`) to `high`.
double NiceStep(double span) {
  if (!(span > 0)) return 1;
  const double power = std::pow(10.0, std::floor(std::log10(span)));
  for (const double step : {0.2, 0.25, 0.5, 1.0, 2.0}) {
    if (span / (step * power) <= 5) return step * power;
  }
  return 2 * power;
}

}  // namespace

const QColor BedDrawing::kBed(150, 110, 70);
const QColor BedDrawing::kPool(250, 215, 150);

BedDrawing::BedDrawing() {
  setObjectName(QStringLiteral("BedDrawing"));
  setMinimumHeight(200);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void BedDrawing::setRun(Run run) {
  run_ = std::move(run);
  update();
}

void BedDrawing::setPressureUnit(display_units::PressureUnit unit) {
  unit_ = unit;
  update();
}

std::array<BedDrawing::Band, 3> BedDrawing::bands() const {
  const QFontMetricsF metrics(font());
  const double line = metrics.height();
  const double left = metrics.horizontalAdvance(QStringLiteral("00000")) + line;
  const QRectF all = QRectF(rect()).adjusted(left, 0, -line, -2.2 * line);
  // Each band under its title; the channel a little narrower than the curves.
  const double title = 1.3 * line;
  const double room = all.height() - 3 * title - 2.5 * line;
  const double heights[3] = {0.28 * room, 0.36 * room, 0.36 * room};
  std::array<Band, 3> out{};
  const QString names[3] = {
      QStringLiteral("Solid bed X/W in the unwound channel, melt pool above it"),
      QStringLiteral("Pressure (%1)").arg(display_units::Label(unit_)),
      QStringLiteral("Mean melt temperature (\u00b0C)")};
  double y = all.top() + line;  // the channel's title and the marks' names above it
  for (int i = 0; i < 3; ++i) {
    y += title;
    out[i] = {QRectF(all.left(), y, all.width(), heights[i]), names[i]};
    y += heights[i] + (i == 0 ? line : 0.5 * line);
  }
  return out;
}

QRectF BedDrawing::channelArea() const { return bands()[0].area; }

double BedDrawing::xOf(const QRectF& area, double turn) const {
  const double total = turns();
  return area.left() + area.width() * (total > 0 ? turn / total : 0);
}

void BedDrawing::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().base());
  const QFontMetricsF metrics(font());
  const double line = metrics.height();
  const std::vector<kelvado::ScrewStep>& steps = run_.profile;
  if (steps.size() < 2 || !(turns() > 0)) return;
  const std::array<Band, 3> band = bands();
  const QColor text = palette().color(QPalette::Text);

  // The channel: melt pool behind, the bed over it from the trailing flight up.
  const QRectF& channel = band[0].area;
  painter.fillRect(channel, kPool);
  QPolygonF bed;
  bed << QPointF(xOf(channel, steps.front().turn), channel.bottom());
  // A bed still there is seen, however thin, beside the flight's line.
  const double thinnest = 4;
  for (const kelvado::ScrewStep& s : steps) {
    const double ratio = std::clamp(s.solidBedRatio, 0.0, 1.0);
    bed << QPointF(xOf(channel, s.turn),
                   channel.bottom() - (ratio > 0 ? std::max(channel.height() * ratio, thinnest) : 0.0));
  }
  bed << QPointF(xOf(channel, steps.back().turn), channel.bottom());
  painter.setPen(Qt::NoPen);
  painter.setBrush(kBed);
  painter.drawPolygon(bed);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(text, 2));
  painter.drawLine(channel.topLeft(), channel.topRight());
  painter.drawLine(channel.bottomLeft(), channel.bottomRight());

  // The curves, each against an axis from a round value below its least to one above its most.
  painter.setRenderHint(QPainter::Antialiasing);
  auto curve = [&](const QRectF& area, const QColor& colour, auto value) {
    double low = INFINITY, high = -INFINITY;
    for (const kelvado::ScrewStep& s : steps) {
      if (const std::optional<double> v = value(s)) {
        low = std::min(low, *v);
        high = std::max(high, *v);
      }
    }
    if (!std::isfinite(low)) return;
    const double step = NiceStep(high - low);
    low = std::floor(low / step) * step;
    high = std::max(std::ceil(high / step) * step, low + step);
    auto y = [&](double v) { return area.bottom() - area.height() * (v - low) / (high - low); };
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.drawRect(area);
    painter.setPen(text);
    for (const double v : {low, high}) {
      painter.drawText(QRectF(0, y(v) - line / 2, area.left() - 0.3 * line, line), Qt::AlignRight | Qt::AlignVCenter,
                       Short(v));
    }
    QPainterPath path;
    bool open = false;
    for (const kelvado::ScrewStep& s : steps) {
      const std::optional<double> v = value(s);
      if (!v) {
        open = false;
        continue;
      }
      const QPointF p(xOf(area, s.turn), y(*v));
      open ? path.lineTo(p) : path.moveTo(p);
      open = true;
    }
    painter.setPen(QPen(colour, 2));
    painter.drawPath(path);
  };
  curve(band[1].area, kPressure, [this](const kelvado::ScrewStep& s) -> std::optional<double> {
    return display_units::FromKgfPerCm2(s.pressure, unit_);
  });
  curve(band[2].area, kTemperature, [](const kelvado::ScrewStep& s) { return s.meanMeltTemp; });

  // Zone boundaries dashed, the ends of melting solid and named, across the three bands.
  const double top = band[0].area.top(), bottom = band[2].area.bottom();
  painter.setPen(QPen(QColor(60, 60, 60), 1, Qt::DashLine));
  for (const double end : run_.zoneEnds) {
    const double x = xOf(channel, end);
    painter.drawLine(QPointF(x, top), QPointF(x, bottom));
  }
  const kelvado::Plastication& p = run_.plastication;
  // Each mark named right of its line, or left of it where the name would leave the channel.
  auto mark = [&](std::optional<double> turn, const QString& name) {
    if (!turn) return;
    const double x = xOf(channel, *turn);
    painter.setPen(QPen(kMeltMark, 2));
    painter.drawLine(QPointF(x, top), QPointF(x, bottom));
    const double width = metrics.horizontalAdvance(name) + 0.3 * line;
    const bool right = x + 0.3 * line + width <= channel.right();
    painter.drawText(QRectF(right ? x + 0.3 * line : x - 0.3 * line - width, top - 1.3 * line, width, line),
                     (right ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, name);
  };
  for (int i = 0; i < 3; ++i) {
    painter.setPen(text);
    const QRectF title(band[i].area.left(), band[i].area.top() - 1.3 * line, band[i].area.width(), line);
    if (i > 0) painter.drawText(title, Qt::AlignLeft | Qt::AlignVCenter, band[i].title);
  }
  painter.setPen(text);
  painter.drawText(QRectF(channel.left(), channel.top() - 2.5 * line, channel.width(), line),
                   Qt::AlignLeft | Qt::AlignVCenter, band[0].title);
  mark(p.meltingStartTurn, QStringLiteral("melting from turn %1").arg(Short(p.meltingStartTurn.value_or(0))));
  mark(p.meltingEndTurn, QStringLiteral("melted at turn %1").arg(Short(p.meltingEndTurn.value_or(0))));

  // Turns along the bottom.
  const QRectF& last = band[2].area;
  painter.setPen(text);
  const double step = NiceStep(turns());
  for (double t = 0; t <= turns() + 1e-9; t += step) {
    const double x = xOf(last, t);
    painter.drawLine(QPointF(x, last.bottom()), QPointF(x, last.bottom() + 0.3 * line));
    painter.drawText(QRectF(x - 2 * line, last.bottom() + 0.3 * line, 4 * line, line), Qt::AlignCenter, Short(t));
  }
  painter.drawText(QRectF(last.left(), last.bottom() + 1.2 * line, last.width(), line), Qt::AlignCenter,
                   QStringLiteral("turns from the hopper; unmelted at the end X/W = %1, output limited by %2")
                       .arg(Short(p.unmeltedAtEnd), QString::fromStdString(p.limitedBy)));
}
